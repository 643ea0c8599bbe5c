// The label and free space of the host file system that holds a path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace agat {

// The label of the file system that holds the current directory, as GETHOSTVOLUMEID.
std::string GETVOLNAME();
// The label of the file system that holds PT (host bytes). Most file systems here have
// none (containers, tmpfs, home directories): the mount point of the file system then
// stands in ("/", "/home", "/media/usb"), and "<fault>" only when even that cannot be
// found.
std::string GETHOSTVOLUMEID(const std::string& PT);
// Free space of the file system that holds PT, in 256-byte units; 0 when it cannot be
// read, the largest value when it does not fit in 32 bits.
std::uint32_t GETFREESPACE(const std::string& PT);

// Steps of the label search, open to tests.
//
// The label (host bytes) whose entry in `by_label_dir` (a directory of links named
// after labels, as udev keeps /dev/disk/by-label) leads to the block device `device`;
// "" when no entry does.
std::string find_device_label(std::uint64_t device, const std::string& by_label_dir);
// The mount point (host bytes) of the file system of device `device` that holds the
// absolute path `path` (no "." or ".." in it, links resolved), after the mount table
// `mountinfo` in the form of /proc/self/mountinfo: the longest mount point above the path
// among the mounts of that device, or among all mounts when none is of that device;
// "" when the table cannot be read.
std::string find_mount_point(const std::string& path, std::uint64_t device,
                             const std::string& mountinfo);
// A name as udev writes it into /dev/disk/by-label: bytes it does not trust in a file
// name ("/", blanks, ...) are written as "\xNN".
std::string decode_udev_name(std::string_view name);

}  // namespace agat
