// The label and free space of the host file system that holds a path.
#pragma once

#include <cstdint>
#include <string>

namespace agat {

// The label of the file system that holds the current directory, as GETHOSTVOLUMEID.
std::string GETVOLNAME();
// The label of the file system that holds PT (host bytes); "<fault>" when it cannot be
// read. On Windows the label of the volume (the drive) that holds PT, as it is (a drive
// may have none). Most Linux file systems have none (containers, tmpfs, home
// directories): the mount point of the file system then stands in ("/", "/home",
// "/media/usb").
std::string GETHOSTVOLUMEID(const std::string& PT);
// Free space of the file system that holds PT, in 256-byte units; 0 when it cannot be
// read, the largest value when it does not fit in 32 bits.
std::uint32_t GETFREESPACE(const std::string& PT);

}  // namespace agat
