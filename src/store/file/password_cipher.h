// The form in which users.cfg keeps the password of a user account.
//
// Enciphered: "~#1" and the Base64 text of the chained Blowfish cipher text
// of the password. The key is the SHA-1 digest of a fixed key text; the
// feedback register F starts at the encryption of eight 0xFF bytes for every
// password. A full block P gives C = E(P xor F), then F = C xor F; a final
// partial block gives P xor the first bytes of E(F). Cipher text and plain
// text have the same length.
//
// Reading takes every stored text of more than 2 characters that starts with
// "~#" as enciphered; anything else is the plain password. Uses of the
// cipher run under lock 0.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

std::string EncipherPassword(std::string_view plain);
std::string DecipherPassword(std::string_view cipher);

// True when reading treats the stored text as enciphered.
bool IsEncipheredForm(std::string_view stored);

// The text to store for `plain` (at most 127 characters). With `encipher`
// the enciphered form, as long as it fits 127 characters (passwords of up
// to 93 characters); a longer password is stored plain rather than cut,
// which would make it unreadable. A plain password that reading would take
// for an enciphered one ("~#x...") is enciphered whatever `encipher` says.
// Nothing when the password cannot be stored so that it reads back
// unchanged (a "~#" password of more than 93 characters).
std::optional<std::string> StoredPassword(std::string_view plain, bool encipher);

// The password a stored text stands for, cut to 127 characters. Text that is
// not valid Base64 or deciphers to garbage is handed out as deciphered.
std::string PlainPassword(std::string_view stored);

}  // namespace tarvelin
