#include "core/host_volume.h"
#include "core/host_volume_mounts.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#if __has_include(<sys/sysmacros.h>)
#include <sys/sysmacros.h>  // major(), minor() on Linux; <sys/types.h> has them elsewhere
#endif

#include <climits>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

namespace agat {

namespace {

constexpr const char* kByLabelDir = "/dev/disk/by-label";
constexpr const char* kNoLabel = "<fault>";
constexpr const char* kMountInfo = "/proc/self/mountinfo";

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// /proc/self/mountinfo writes blanks, tabs, line ends and backslashes in paths as
// "\ooo" (three octal digits).
std::string decode_mountinfo_field(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string_view digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string_view::npos) {
        out += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) |
                                 (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// The devices that may stand for the file system of `st` in /dev/disk/by-label: its
// own device number, and the block device it was mounted from where the two differ
// (btrfs and some others give each file system an anonymous device number).
std::vector<dev_t> candidate_devices(const struct stat& st) {
  std::vector<dev_t> devices{st.st_dev};
  std::ifstream mountinfo(kMountInfo);
  const std::string wanted =
      std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
  std::string line;
  while (std::getline(mountinfo, line)) {
    // "id parent major:minor root mount-point options [optional...] - type source options"
    std::istringstream head(line);
    std::string id, parent, numbers;
    head >> id >> parent >> numbers;
    if (numbers != wanted) continue;
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream tail(line.substr(dash + 3));
    std::string type, source;
    tail >> type >> source;
    struct stat device {};
    const std::string path = decode_mountinfo_field(source);
    if (::stat(path.c_str(), &device) == 0 && S_ISBLK(device.st_mode) &&
        device.st_rdev != st.st_dev)
      devices.push_back(device.st_rdev);
  }
  return devices;
}

// True when `mount_point` is `path` or one of the directories above it.
bool holds(std::string_view mount_point, std::string_view path) {
  if (mount_point == "/") return !path.empty() && path.front() == '/';
  return path.starts_with(mount_point) &&
         (path.size() == mount_point.size() || path[mount_point.size()] == '/');
}

std::string volume_label(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return kNoLabel;
  for (dev_t device : candidate_devices(st)) {
    std::string label = find_device_label(device, kByLabelDir);
    if (!label.empty()) return label;
  }
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return kNoLabel;
  std::string mount_point = find_mount_point(resolved, st.st_dev, kMountInfo);
  return mount_point.empty() ? kNoLabel : mount_point;
}

}  // namespace

std::string decode_udev_name(std::string_view name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
      const int high = hex_digit(name[i + 2]);
      const int low = hex_digit(name[i + 3]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 3;
        continue;
      }
    }
    out += name[i];
  }
  return out;
}

std::string find_device_label(std::uint64_t device, const std::string& by_label_dir) {
  DIR* dir = ::opendir(by_label_dir.c_str());
  if (dir == nullptr) return {};
  std::string label;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // The entries are links to the device nodes: stat() follows them.
    struct stat target {};
    if (::stat((by_label_dir + "/" + name).c_str(), &target) != 0) continue;
    if (S_ISBLK(target.st_mode) && target.st_rdev == device) {
      label = decode_udev_name(name);
      break;
    }
  }
  ::closedir(dir);
  return label;
}

std::string find_mount_point(const std::string& path, std::uint64_t device,
                             const std::string& mountinfo) {
  std::ifstream table(mountinfo);
  const std::string wanted = std::to_string(major(static_cast<dev_t>(device))) + ":" +
                             std::to_string(minor(static_cast<dev_t>(device)));
  std::string own, any;  // the best of the device's own mounts, and of all
  std::string line;
  while (std::getline(table, line)) {
    // "id parent major:minor root mount-point options ..."; later mounts hide earlier
    // ones at the same point, so of two equally long points the later wins.
    std::istringstream fields(line);
    std::string id, parent, numbers, root, point;
    fields >> id >> parent >> numbers >> root >> point;
    point = decode_mountinfo_field(point);
    if (point.empty() || !holds(point, path)) continue;
    if (point.size() >= any.size()) any = point;
    if (numbers == wanted && point.size() >= own.size()) own = point;
  }
  return own.empty() ? any : own;
}

std::string GETVOLNAME() {
  return volume_label(".");
}

std::string GETHOSTVOLUMEID(const std::string& PT) {
  return volume_label(PT);
}

std::uint32_t GETFREESPACE(const std::string& PT) {
  struct statvfs fs {};
  if (::statvfs(PT.c_str(), &fs) != 0) return 0;
  // Blocks free to an unprivileged user, in units of the fundamental block size.
  const unsigned long long unit = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
  const unsigned long long blocks = fs.f_bavail;
  constexpr unsigned long long kMax = std::numeric_limits<std::uint32_t>::max();
  // blocks * unit / 256 exceeds kMax exactly when blocks * unit exceeds kMax * 256 + 255;
  // the test is made by division so that the product cannot overflow.
  if (unit == 0) return 0;
  if (blocks > (kMax * 256 + 255) / unit) return static_cast<std::uint32_t>(kMax);
  return static_cast<std::uint32_t>(blocks * unit / 256);
}

}  // namespace agat
