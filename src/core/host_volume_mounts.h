// The steps of the label search on Linux, open to tests: the labels udev keeps in
// /dev/disk/by-label and the mount table of /proc/self/mountinfo.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace agat {

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
