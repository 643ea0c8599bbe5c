#include "index_json.h"

#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/file_control.h"
#include "terminal.h"

namespace agat {

namespace {

// Windows-1251 text as a JSON string in UTF-8.
std::string text(std::string_view cp1251) {
  return cp1251_to_utf8(json_string(cp1251));
}
// A host path (its own bytes, UTF-8) as a JSON string.
std::string host(std::string_view path) {
  return json_string(path);
}
std::string flag(bool b) {
  return b ? "true" : "false";
}
std::string num(std::int64_t n) {
  return std::to_string(n);
}
std::string count(std::size_t n) {
  return std::to_string(n);
}
std::string digest(const std::string& sha) {
  return sha.empty() ? "null" : "\"" + sha + "\"";
}
std::string text_or_null(const std::string& cp1251) {
  return cp1251.empty() ? "null" : text(cp1251);
}

template <class List, class Show>
std::string array(const List& items, std::string_view indent, Show show) {
  if (items.empty()) return "[]";
  std::string out = "[";
  bool first = true;
  for (const auto& item : items) {
    out += (first ? "\n" : ",\n") + std::string(indent) + "  " + show(item);
    first = false;
  }
  return out + "\n" + std::string(indent) + "]";
}

std::string json_entry(const IndexedEntry& e) {
  return "{\"catalog\": " + text(e.catalog) + ", \"name\": " + text(e.name) +
         ", \"kind\": " + (e.btk ? "\"btk\"" : "\"file\"") +
         ", \"type\": " + (e.btk ? "null" : text(std::string(1, FC_FTYPE(e.ext)))) +
         ", \"ext\": " + num(e.ext) + ", \"locked\": " + flag(e.locked) +
         ", \"deleted\": " + flag(e.deleted) + ", \"sectors\": " + num(e.sectors) +
         ", \"bytes\": " + (e.bytes < 0 ? "null" : num(e.bytes)) +
         ", \"sha256\": " + digest(e.sha256) + ", \"problem\": " + text_or_null(e.problem) + "}";
}

std::string json_check(const std::optional<CheckCounts>& check) {
  if (!check) return "{\"dos_catalog\": false, \"damaged\": null}";
  const CheckCounts& c = *check;
  return "{\"dos_catalog\": true, \"damaged\": " + flag(c.damaged) + ", \"vtoc\": " + num(c.vtoc) +
         ", \"roles\": {\"vtoc\": " + num(c.roles[0]) + ", \"catalog\": " + num(c.roles[1]) +
         ", \"tslist\": " + num(c.roles[2]) + ", \"data\": " + num(c.roles[3]) +
         ", \"none\": " + num(c.none) + "}, \"errors\": " + num(c.errors) +
         ", \"shared\": " + num(c.shared) + ", \"unreadable\": " + num(c.unreadable) +
         ", \"orphans\": " + num(c.orphans) + ", \"used_but_free\": " + num(c.used_but_free) +
         ", \"free_but_used\": " + num(c.free_but_used) +
         ", \"unreadable_unused\": " + num(c.unreadable_unused) +
         ", \"nonstandard\": " + num(c.nonstandard) + "}";
}

std::string json_image(const IndexedImage& i) {
  const std::string next = ",\n      ";
  std::string out = "{\"path\": " + host(i.path) + next +
                    "\"form\": " + (i.form ? "\"" + std::string(form_key(i.form)) + "\"" : "null") +
                    next + "\"size\": " + num(i.size) + next + "\"read\": " + flag(i.read) + next +
                    "\"problem\": " + text_or_null(i.problem);
  if (i.read) {
    out +=
        next + "\"volume\": " + text(i.volume) + next + "\"description\": " + text(i.description) +
        next + "\"sectors_sha256\": " + digest(i.sectors_sha256) + next +
        "\"used_sha256\": " + digest(i.used_sha256) + next + "\"check\": " + json_check(i.check) +
        next + "\"entries\": " + array(i.entries, "      ", json_entry);
  }
  out += next + "\"messages\": " + array(i.messages, "      ", [](const std::string& m) {
           return text(m);
         });
  return out + "}";
}

std::string numbers(const std::vector<std::size_t>& list) {
  std::string out = "[";
  for (std::size_t i = 0; i < list.size(); ++i) out += (i ? ", " : "") + count((list[i]));
  return out + "]";
}

std::string json_duplicates(const CollectionIndex& index) {
  const Duplicates& d = index.duplicates;
  const auto image_group = [](const ImageGroup& g) {
    return "{\"sha256\": \"" + g.sha256 + "\", \"images\": " + numbers(g.images) + "}";
  };
  const auto file_group = [&index](const FileGroup& g) {
    return "{\"sha256\": \"" + g.sha256 + "\", \"bytes\": " + num(g.bytes) + ", \"files\": " +
           array(g.copies, "      ",
                 [&index](const FileCopy& c) {
                   const IndexedEntry& e = index.images[c.image].entries[c.entry];
                   return "{\"image\": " + count((c.image)) + ", \"catalog\": " + text(e.catalog) +
                          ", \"name\": " + text(e.name) + "}";
                 }) +
           "}";
  };
  const auto near_group = [](const NearGroup& g) {
    return "{\"images\": " + numbers(g.images) +
           ", \"differing_sectors\": " + count((g.differing_sectors)) + "}";
  };
  return "{\n    \"same_sectors\": " + array(d.same_sectors, "    ", image_group) +
         ",\n    \"same_used\": " + array(d.same_used, "    ", image_group) +
         ",\n    \"same_files\": " + array(d.same_files, "    ", file_group) +
         ",\n    \"near_copies\": " + array(d.near_copies, "    ", near_group) + "\n  }";
}

}  // namespace

std::string_view form_key(std::optional<TIMAGET> form) {
  return form ? IMAGEDESC[*form].form_name : std::string_view();
}

std::string index_json(const CollectionIndex& index) {
  std::string out = "{\n  \"summary\": {\"images\": " + count((index.images.size())) +
                    ", \"damaged\": " + count(damaged_images(index)) +
                    ", \"unread\": " + count(unread_count(index)) +
                    ", \"not_images\": " + count((index.not_images)) +
                    ", \"links\": " + count((index.links)) +
                    ", \"duplicate_groups\": " + count((index.duplicates.groups())) + "}";
  out += ",\n  \"images\": " + array(index.images, "  ", json_image);
  out += ",\n  \"unread\": " + array(index.unread, "  ", [](const UnreadFile& u) {
           return "{\"path\": " + host(u.path) + ", \"problem\": " + text(u.problem) + "}";
         });
  out += ",\n  \"duplicates\": " + json_duplicates(index);
  return out + "\n}\n";
}

}  // namespace agat
