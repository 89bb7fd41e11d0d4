// The server services a ServiceId names. Several ids live in one program;
// the id still travels in the messages that carry one.
#pragma once

namespace tarvelin {

struct ServiceNames {
  const char* service_name;  // socket and pid-file name, e.g. "TarvelinSMTP"
  const char* program_file;  // program in the install directory, or nullptr
};

// nullptr for an id without names (every operation on it fails).
const ServiceNames* FindServiceNames(int service_id);

}  // namespace tarvelin
