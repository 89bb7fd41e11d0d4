#include "platform/resolv_conf.h"

#include "foundation/text.h"

namespace tarvelin {

std::vector<std::string> ParseDnsServers(std::string_view content) {
  std::vector<std::string> servers;
  for (const std::string& raw : SplitLines(content)) {
    std::string line = raw;
    const size_t comment = line.find_first_of("#;");
    if (comment != std::string::npos) line.resize(comment);
    for (char& c : line) {
      if (c == '\t') c = ' ';
    }
    std::vector<std::string> words;
    for (const std::string& word : Split(Trim(line), ' ')) {
      if (!word.empty()) words.push_back(word);
    }
    if (words.size() >= 2 && words[0] == "nameserver") servers.push_back(words[1]);
  }
  return servers;
}

}  // namespace tarvelin
