// The system's error codes of failed calls and their message texts.
#pragma once

#include <string>

namespace tarvelin {

// The code the last failed system call of this thread left (errno).
int LastSystemError();
// The system's message for `code`; a text naming the number for codes the
// system does not know.
std::string SystemErrorText(int code);

}  // namespace tarvelin
