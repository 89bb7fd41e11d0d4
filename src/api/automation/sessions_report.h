// The sessions report of the statistics object: an XML fragment without a
// declaration, "<sessions>" then one empty "item" element per session
// (attributes id, status, duration, handle, start, server, volume, ip,
// val; each line ended by CR LF), then "</sessions>" and CR LF. No session
// gives the empty text, not an empty element.
//
// Values are escaped (& " ' < >); a value that then holds characters above
// 127 is turned from the system code page into UTF-8. start is the
// session's local date-time as whole seconds since 1 January 1970, the low
// 32 bits as a signed number.
#pragma once

#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "services/session_record.h"

namespace tarvelin::automation {

std::string SessionsReport(const std::vector<SessionRecord>& sessions, const CodePage& code_page);

}  // namespace tarvelin::automation
