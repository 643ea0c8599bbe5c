// Reading one image of a collection for `index`: its sectors once, the analysis of check on
// them, and every catalog reachable from the current one, each file loaded as get loads it.
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string_view>

#include "command_support.h"
#include "content/format_control.h"
#include "core/catalog_read.h"
#include "core/change_dir.h"
#include "core/cp1251_literal.h"
#include "core/current_catalog.h"
#include "core/file_control.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/host_fs.h"
#include "core/image_form.h"
#include "core/immap.h"
#include "core/vtoc.h"
#include "core/vtoc_soundness.h"
#include "image_access.h"
#include "index_record.h"
#include "sha256.h"
#include "terminal.h"

namespace agat {

namespace {

// Catalogs read in one image at most (64, as the message says): each read of a sub-catalog
// loads the image again, and a hostile image may chain as many as it has sectors.
constexpr std::size_t kMaxCatalogs = 64;

// The lines of a message buffer, which is emptied.
void take_lines(std::string& buffer, std::vector<std::string>& lines, std::string_view prefix) {
  std::size_t start = 0;
  while (start < buffer.size()) {
    std::size_t end = buffer.find(CRLF, start);
    if (end == std::string::npos) end = buffer.size();
    if (end > start) lines.push_back(std::string(prefix) + buffer.substr(start, end - start));
    start = end + CRLF.size();
  }
  buffer.clear();
}

// Moves what the core said into LINES; true when the operation failed.
bool take_messages(std::vector<std::string>& lines) {
  const bool failed = !FC_CRITICALERRORBUFFER.empty();
  take_lines(FC_CRITICALERRORBUFFER, lines, "");
  take_lines(FC_WARNINGBUFFER, lines, "предупреждение: "_w);
  return failed;
}

// The messages of one step as one text (a message of the core may take several lines).
std::string joined_messages() {
  std::vector<std::string> lines;
  take_messages(lines);
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : " ") + line;
  return text;
}

void digest_sectors(TMEDIA& md, IndexedImage& image, bool dos) {
  Sha256 all, used;
  for (std::uint8_t t = 0; t <= md.NUMTR; ++t)
    for (std::uint8_t s = 0; s <= md.NUMSC; ++s) {
      const TSECTOR& sector = md.MASS[t][s];
      all.update(sector.data(), sector.size());
      image.sector_keys.push_back(std::hash<std::string_view>{}(
          std::string_view(reinterpret_cast<const char*>(sector.data()), sector.size())));
      if (dos && !FC_IS_SECFREE(md, t, s)) {
        const std::uint8_t place[2] = {t, s};
        used.update(place, sizeof place);
        used.update(sector.data(), sector.size());
      }
    }
  image.sectors_sha256 = all.hex();
  if (dos) image.used_sha256 = used.hex();
}

CheckCounts check_counts(TMEDIA& md) {
  TVTOCFAULTS faults;
  scan_map(md, faults);
  const TIMMSUMMARY sum = summarise_map(md, faults);
  CheckCounts c;
  c.damaged = sum.DAMAGED;
  c.vtoc = static_cast<std::int32_t>(faults.size());
  c.roles = sum.BYROLE;
  c.none = sum.UNREFERENCED;
  c.errors = static_cast<std::int32_t>(sum.ERRORS.size());
  c.shared = static_cast<std::int32_t>(sum.SHARED.size());
  c.unreadable = static_cast<std::int32_t>(sum.UNREADABLE.size());
  c.orphans = static_cast<std::int32_t>(sum.ORPHANS.size());
  c.used_but_free = static_cast<std::int32_t>(sum.USED_BUT_FREE.size());
  c.free_but_used = static_cast<std::int32_t>(sum.FREE_BUT_USED.size());
  c.unreadable_unused = sum.UNREADABLE_UNUSED;
  c.nonstandard = static_cast<std::int32_t>(nonstandard_sectors(md).size());
  return c;
}

struct PendingCatalog {
  std::string path;  // "" for the current catalog, else "A/B/"
  TSREF first;
};

// The entries of the catalog MD has read, each file loaded; the sub-catalogs that can be
// entered go into PENDING unless SEEN has them.
void take_catalog(TMEDIA& md, const std::string& path, std::set<std::pair<int, int>>& seen,
                  std::deque<PendingCatalog>& pending, IndexedImage& image, TFILEBUF& buf,
                  const FileVisitor& visit) {
  bool first = true;
  for (std::int32_t i = 0; i < md.CAT.CATNUM; ++i) {
    TCATREC& e = md.CAT.CATREC[i];
    if (!is_listed(e)) continue;
    const bool btk = e.CATRECT == CRTBTKDIR;
    const bool back = first && !path.empty();  // a sub-catalog's first entry leads back
    first = false;
    if (btk && back) continue;
    IndexedEntry entry;
    entry.catalog = path.empty() ? "" : path.substr(0, path.size() - 1);
    entry.name = entry_name(e);
    entry.btk = btk;
    entry.deleted = is_deleted(e);
    entry.locked = !btk && (e.EXT & 0x80) != 0;
    entry.ext = e.EXT;
    entry.sectors = e.SIZECAT;
    if (!btk) {
      // A file read with holes (a warning) has its bytes, and the warning as its problem.
      const bool loaded = load_content(e, buf);
      entry.problem = joined_messages();
      if (loaded) {
        entry.bytes = e.SIZE;
        entry.sha256 = sha256_hex(buf.data(), static_cast<std::size_t>(e.SIZE));
        if (visit) visit(image, entry, image.entries.size(), e, buf);
      }
    } else if (!entry.deleted && seen.insert({e.TTSL, e.STSL}).second) {
      const std::optional<TSREF> held = md.held_catalog;
      enter_sub_catalog_in_memory(e);
      if (!FC_CRITICALERRORBUFFER.empty())
        entry.problem = joined_messages();
      else
        pending.push_back({path + entry.name + "/", TSREF{e.TTSL, e.STSL}});
      md.held_catalog = held;
    }
    image.entries.push_back(std::move(entry));
  }
}

void read_catalogs(TMEDIA& md, IndexedImage& image, const FileVisitor& visit) {
  thread_local auto buf = std::make_unique<TFILEBUF>();
  std::set<std::pair<int, int>> seen;
  const TSREF root = current_catalog(md);
  seen.insert({root.TR, root.SC});
  std::deque<PendingCatalog> pending;
  take_catalog(md, "", seen, pending, image, *buf, visit);
  for (std::size_t read = 1; !pending.empty(); ++read) {
    const PendingCatalog next = pending.front();
    pending.pop_front();
    if (read == kMaxCatalogs) {
      image.messages.push_back(std::string("прочитаны 64 каталога, остальные BTK-каталоги "
                                           "пропущены"_w));
      break;
    }
    md.held_catalog = next.first;
    FC_READCAT(md);
    if (take_messages(image.messages)) continue;
    take_catalog(md, next.path, seen, pending, image, *buf, visit);
  }
}

}  // namespace

std::optional<IndexedImage> index_file(const std::string& path, std::size_t number,
                                       const FileVisitor& visit) {
  IndexedImage image;
  image.path = path;
  image.number = number;
  const HostStatus st = host_status(path);
  if (st.kind != HostKind::regular) return std::nullopt;
  image.size = st.size;
  // A file that cannot be read is listed with the reason, whatever it would have been.
  std::vector<std::uint8_t> head;
  int error = 0;
  if (st.size > 0 && read_file_prefix(path, 1, head, &error) != FileIoResult::ok) {
    image.form.reset();
    image.problem = std::string("файл не читается: "_w) + host_read_error_text(error);
    return image;
  }
  TIMAGET form;
  if (!image_type_of_file(path, st.size, form)) return std::nullopt;
  image.form = form;
  // One medium serves every image of the thread in turn, as for list: its sectors and
  // catalog are taken once.
  thread_local auto md = std::make_unique<TMEDIA>();
  point_at_image(*md, path, form);
  FC_READCAT(*md);
  if (md->CAT.CATNUM == 0) {  // the file could not be loaded at all
    image.problem = joined_messages();
    return image;
  }
  take_messages(image.messages);
  image.read = true;
  image.description = md->DESCRIPTION;
  const bool dos = !md->VTOCINVALID && vtoc_is_sound(*md);
  if (dos) image.volume = volume_name(*md);
  digest_sectors(*md, image, dos);
  if (!dos) return image;
  image.check = check_counts(*md);
  take_messages(image.messages);
  read_catalogs(*md, image, visit);
  return image;
}

}  // namespace agat
