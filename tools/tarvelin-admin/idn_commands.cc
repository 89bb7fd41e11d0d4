// `idn ...`: domain names between their Unicode and their ASCII ("xn--")
// form. The arguments and the output are UTF-8. Unlike the automation
// members, which cut a label that does not convert to nothing, the
// commands refuse such a name and say which label and why.
#include <string>
#include <vector>

#include "cli_context.h"
#include "foundation/utf16_text.h"
#include "jobs/idn/idn_names.h"

namespace tarvelin::cli {

namespace {

std::u16string UnitsOf(const std::string& name) {
  std::optional<std::u16string> units = Utf16FromUtf8(name);
  if (!units) throw CommandError("the name is not valid UTF-8", ExitCode::kUsage);
  return std::move(*units);
}

// The first label that did not convert, named for a person.
void RefuseFailed(const IdnResult& result, const char* what) {
  if (result.failed.empty()) return;
  const FailedLabel& failed = result.failed.front();
  const std::string label = Utf8FromUtf16(failed.label).value_or("?");
  throw CommandError("label " + std::to_string(failed.position + 1) + " \"" + label +
                         "\" cannot be " + what + ": " +
                         std::string(PunycodeStatusText(failed.status)),
                     ExitCode::kUsage);
}

void ToUnicode(Session& session, const std::string& name) {
  const IdnResult result = IdnToUnicode(UnitsOf(name));
  RefuseFailed(result, "decoded");
  const std::optional<std::string> unicode = Utf8FromUtf16(result.name);
  if (!unicode) {
    throw CommandError("the name decodes to a lone surrogate, which has no UTF-8 form",
                       ExitCode::kUsage);
  }
  session.out.Emit({{"name", name}, {"unicode", *unicode}}, *unicode);
}

void ToAscii(Session& session, const std::string& name) {
  const IdnResult result = UnicodeToIdn(UnitsOf(name));
  RefuseFailed(result, "encoded");
  const std::string ascii(result.name.begin(), result.name.end());
  session.out.Emit({{"name", name}, {"ascii", ascii}}, ascii);
}

}  // namespace

void RegisterIdnCommands(CLI::App& app, Session& session) {
  CLI::App* idn = app.add_subcommand("idn", "Domain names between Unicode and \"xn--\" form");
  idn->require_subcommand(1);
  static std::string name;

  CLI::App* to_unicode =
      idn->add_subcommand("to-unicode", "Decode the \"xn--\" labels of a name (UTF-8 out)");
  to_unicode->add_option("NAME", name, "Domain name in ASCII form")->required();
  to_unicode->callback([&session] { ToUnicode(session, name); });

  CLI::App* to_ascii =
      idn->add_subcommand("to-ascii", "Encode the non-ASCII labels of a UTF-8 name as \"xn--\"");
  to_ascii->add_option("NAME", name, "Domain name in UTF-8")->required();
  to_ascii->callback([&session] { ToAscii(session, name); });
}

}  // namespace tarvelin::cli
