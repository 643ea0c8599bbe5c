// iodriver_setup /i | /u: installs and starts, or stops and removes, the service entry of
// the port-access driver giveio.
#include <iostream>

#include "iodriver_setup/driver_service.h"
#include "iodriver_setup/service_control.h"

int main(int argc, char** argv) {
  const auto scm = agat::iodriver::MakeSystemServiceControl();
  const int exit_code = agat::iodriver::RunIodriverSetup(argc, argv, *scm, std::cout);
  std::cout.flush();
  return exit_code;
}
