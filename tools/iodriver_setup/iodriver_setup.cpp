// iodriver_setup /i | /u: installs and starts, or stops and removes, the service entry of
// the port-access driver giveio.
#include <iostream>

#include "iodriver_setup/driver_service.h"
#include "iodriver_setup/service_control.h"

int main(int argc, char** argv) {
  const auto scm = agat::iodriver::make_system_service_control();
  const int exit_code = agat::iodriver::run_iodriver_setup(argc, argv, *scm, std::cout);
  std::cout.flush();
  return exit_code;
}
