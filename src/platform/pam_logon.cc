#include "platform/pam_logon.h"

#include <security/pam_appl.h>

#include <cstdlib>
#include <cstring>

#include "platform/posix/environment.h"

namespace tarvelin {
namespace {

constexpr char kDefaultService[] = "tarvelin";

// Answers every password prompt, echoed or not, with the password, and the
// messages a module shows with an empty text. PAM frees what is allocated
// here.
int AnswerPrompts(int count, const struct pam_message** messages, struct pam_response** responses,
                  void* password) {
  if (count <= 0 || count > PAM_MAX_NUM_MSG) return PAM_CONV_ERR;
  auto* answers =
      static_cast<pam_response*>(calloc(static_cast<size_t>(count), sizeof(pam_response)));
  if (answers == nullptr) return PAM_BUF_ERR;
  int status = PAM_SUCCESS;
  for (int i = 0; i < count && status == PAM_SUCCESS; ++i) {
    switch (messages[i]->msg_style) {
      case PAM_PROMPT_ECHO_OFF:
      case PAM_PROMPT_ECHO_ON:
        answers[i].resp = strdup(static_cast<const char*>(password));
        break;
      case PAM_ERROR_MSG:
      case PAM_TEXT_INFO:
        answers[i].resp = strdup("");
        break;
      default:
        status = PAM_CONV_ERR;
        continue;
    }
    if (answers[i].resp == nullptr) status = PAM_BUF_ERR;
  }
  // Some modules pass no place for answers along with a message to show.
  if (status != PAM_SUCCESS || responses == nullptr) {
    for (int i = 0; i < count; ++i) free(answers[i].resp);
    free(answers);
    return status;
  }
  *responses = answers;
  return PAM_SUCCESS;
}

bool HoldsNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

}  // namespace

std::string PamServiceName() {
  std::string service = GetEnvironment("TARVELIN_PAM_SERVICE");
  return service.empty() ? kDefaultService : service;
}

bool PamLogon(std::string_view service, std::string_view domain, std::string_view user,
              std::string_view password) {
  // PAM takes C strings: a NUL would cut a name or a password short and
  // check something other than what was given. An empty password is never a
  // secret, whatever a module's policy on blank passwords is.
  if (service.empty() || user.empty() || password.empty() || HoldsNul(service) ||
      HoldsNul(domain) || HoldsNul(user) || HoldsNul(password)) {
    return false;
  }
  try {
    const std::string service_name(service);
    std::string login(domain);
    if (!login.empty()) login += '\\';
    login += user;
    std::string secret(password);
    const pam_conv conversation{AnswerPrompts, secret.data()};

    pam_handle_t* handle = nullptr;
    int status = pam_start(service_name.c_str(), login.c_str(), &conversation, &handle);
    if (status != PAM_SUCCESS) {
      // pam_start may leave a handle even when it fails.
      if (handle != nullptr) pam_end(handle, status);
      return false;
    }
    status = pam_authenticate(handle, PAM_SILENT | PAM_DISALLOW_NULL_AUTHTOK);
    if (status == PAM_SUCCESS) {
      // An expired, locked or otherwise barred account fails here.
      status = pam_acct_mgmt(handle, PAM_SILENT | PAM_DISALLOW_NULL_AUTHTOK);
    }
    pam_end(handle, status);
    return status == PAM_SUCCESS;
  } catch (...) {
    return false;
  }
}

}  // namespace tarvelin
