// One message file turned from one mailbox layout into the other.
//
// POP3 layout: the message dot-stuffed and ended by CR LF "." CR LF.
// IMAP layout: the message as it is.
//
// Two steps, so that many messages share one flush to the disk: the new
// form is written under a temporary name beside its target and closed
// (WriteImapForm, WritePop3Form); once the caller has made it durable
// (Env::SyncFileSystem), PutInPlace renames it to its target and only then
// removes the old file. A crash thus never leaves a half message under a
// message name, nor a message without either file. Files are read and
// written in blocks of 64 KB, never whole.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/atomic_file_writer.h"
#include "platform/env.h"

namespace tarvelin {

inline constexpr size_t kMessageBlockSize = 64 * 1024;
inline constexpr std::string_view kPop3EndMarker = "\r\n.\r\n";

// The IMAP form of POP3 file `source`, written into `out` for `target`:
// without the end marker (cut only when the file really ends with it) and
// without the stuffing dots. False, with nothing left behind, when `source`
// cannot be read or the new file cannot be written. `source` is read
// through `env`; `out` writes through its own Env.
bool WriteImapForm(Env& env, std::string_view source, std::string_view target,
                   AtomicFileWriter* out);

// The POP3 form of IMAP file `source`: stuffed, the end marker appended.
bool WritePop3Form(Env& env, std::string_view source, std::string_view target,
                   AtomicFileWriter* out);

// Renames the written form to its target, unless a file of that name
// exists, and removes `source`. When `source` cannot be removed the new
// file goes again, so the message is never there twice. False when the old
// file stays.
bool PutInPlace(Env& env, std::string_view source, AtomicFileWriter* out);

}  // namespace tarvelin
