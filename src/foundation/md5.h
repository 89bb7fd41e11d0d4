// MD5 digests through OpenSSL.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

// Lower-case hexadecimal digest (32 characters).
std::string Md5Hex(std::string_view data);

}  // namespace tarvelin
