#include "host_names.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <vector>

#include "cli_output.h"
#include "foundation/text.h"

namespace tarvelin::cli {

namespace {

constexpr size_t kLabelMax = 63;
constexpr size_t kNameMax = 253;

bool IsLdh(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

std::vector<std::string> Items(const std::string& list) {
  std::vector<std::string> items;
  size_t start = 0;
  while (true) {
    const size_t end = list.find(';', start);
    items.push_back(Trim(list.substr(start, end == std::string::npos ? end : end - start)));
    if (end == std::string::npos) return items;
    start = end + 1;
  }
}

// The refusal of the first item `problem` refuses, naming the item.
template <typename Problem>
std::string FirstBadItem(const std::string& list, Problem problem) {
  if (list.empty()) return "";
  for (const std::string& item : Items(list)) {
    if (item.empty()) return "the list \"" + list + "\" has an empty item";
    if (std::string why = problem(item); !why.empty()) return why;
  }
  return "";
}

}  // namespace

std::string HostNameProblem(const std::string& name) {
  const std::string quoted = "\"" + name + "\"";
  if (name.empty()) return "a host name cannot be empty";
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      return quoted + " has characters beyond ASCII; give its IDN form (xn--...)";
    }
  }
  if (name.size() > kNameMax) {
    return quoted + " is longer than " + std::to_string(kNameMax) + " characters";
  }
  size_t start = 0;
  while (true) {
    const size_t end = std::min(name.find('.', start), name.size());
    const std::string label = name.substr(start, end - start);
    if (label.empty()) return quoted + " has an empty label (a dot at the start, the end or twice)";
    if (label.size() > kLabelMax) {
      return quoted + " has a label longer than " + std::to_string(kLabelMax) + " characters";
    }
    for (char c : label) {
      if (!IsLdh(c)) {
        return quoted + " has '" + std::string(1, c) +
               "': a label holds only letters, digits and hyphens";
      }
    }
    if (label.front() == '-' || label.back() == '-') {
      return quoted + " has a label that starts or ends with a hyphen";
    }
    if (end == name.size()) return "";
    start = end + 1;
  }
}

void CheckNewDomainName(const std::string& name, const std::string& what) {
  const std::string problem = HostNameProblem(name);
  if (!problem.empty()) throw CommandError(what + ": " + problem, ExitCode::kRefused);
}

bool IsIpAddress(const std::string& text) {
  unsigned char address[16];
  return inet_pton(AF_INET, text.c_str(), address) == 1 ||
         inet_pton(AF_INET6, text.c_str(), address) == 1;
}

std::string AddressListProblem(const std::string& text) {
  return FirstBadItem(text, [](const std::string& item) -> std::string {
    if (IsIpAddress(item)) return "";
    return "\"" + item + "\" is not an IP address";
  });
}

std::string HostNameListProblem(const std::string& text) {
  return FirstBadItem(text, HostNameProblem);
}

std::string HostAndPortProblem(const std::string& text) {
  const std::string given = Trim(text);
  if (given.empty() || IsIpAddress(given)) return "";
  std::string host = given;
  const size_t colon = given.rfind(':');
  if (colon != std::string::npos) {
    host = given.substr(0, colon);
    const std::string port = given.substr(colon + 1);
    int number = 0;
    const auto [stop, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || stop != port.data() + port.size() || number < 1 ||
        number > 65535) {
      return "\"" + port + "\" is not a port (1 to 65535)";
    }
  }
  if (IsIpAddress(host)) return "";
  return HostNameProblem(host);
}

}  // namespace tarvelin::cli
