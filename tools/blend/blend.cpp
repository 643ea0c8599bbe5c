// blend: repairs several imperfect reads of one 140 KB Agat disk from each other.
//
// Every image file of the current directory is taken as one read of the same disk. A sector
// that a read could not decode holds 256 bytes $BD. The program drops reads that are exact
// duplicates, measures how far each read is from every other one, fills each bad sector of a
// read from the nearest read that has that sector good (again and again until nothing more can
// be filled), shows where the repaired reads still differ, and writes every distinct repaired
// read as a new file named after its source with ".rep" appended.
//
// One source unit on the C++ standard library; its file calls are those of blend_files.h, one
// implementation per host, which go through the core's fault hook (core/host_calls.h), through
// which tests make them fail. All messages go to standard output. Built with BLEND_NO_MAIN, the
// file leaves out main() so that a benchmark or a test can call blend_main().
//
// Given reads by name (blend [--form FORM] [--output FILE] [--force] [--json] READ...), it
// blends them instead, in any image form and of either disk size, into one image: that is the
// core's blending (core/blend_reads.h), which the file manager uses too (blend_command.h).

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "blend_files.h"
#ifndef BLEND_NO_MAIN
#include "blend_command.h"
#include "core/host_arguments.h"
#include "version/program_version.h"
#endif

namespace {

using blend::TDIRENTRY;
using blend::TFILEERROR;

constexpr int ALLIMGLO = 0;   // first image slot
constexpr int ALLIMGHI = 49;  // last image slot
constexpr int ALLTR = 35;     // tracks
constexpr int ALLSC = 16;     // sectors per track
constexpr int ALLBL = 559;    // highest sector number
static_assert(ALLTR * ALLSC == ALLBL + 1);

constexpr int SECTORWORDS = 64;
constexpr std::uint32_t BADWORD = 0xBDBDBDBDu;          // a sector of these words was not read
constexpr std::uint64_t IMAGESIZE = (ALLBL + 1) * 256;  // 143360 bytes are read from every image
constexpr std::uint64_t MAXTRAILER = 128;  // the longest trailer an image file may carry

// One 256-byte sector as 64 words, so that sectors are compared a word at a time.
using TSECTOR = std::array<std::uint32_t, SECTORWORDS>;
static_assert(sizeof(TSECTOR) == 256);
// A whole image: sector n lies at byte offset n*256 of the file.
using TIMGFILE = std::array<TSECTOR, ALLBL + 1>;
static_assert(sizeof(TIMGFILE) == IMAGESIZE);
// An image slot, ALLIMGLO..ALLIMGHI.
using TIMGNUMBER = int;

// One entry of a slot's distance list.
struct TDISTDESC {
  bool P = false;      // the entry is in use
  std::int32_t D = 0;  // distance to the other image
  TIMGNUMBER N = 0;    // the other image
};

struct TIMGDESC {
  bool PRESENT = false;  // the slot holds a read that takes part
  TIMGFILE DATA{};
  std::array<bool, ALLBL + 1> DATAVALID{};
  std::array<TDISTDESC, ALLIMGHI + 1> DISTANCE{};
  std::string NAME;  // the file the read came from
};

// All slots, about 7 MB: static storage, filled once per run.
std::array<TIMGDESC, ALLIMGHI + 1> IMAGES;

// CONTENT[n][i]: which of the contents that the reads hold in sector n slot i holds. Two slots
// have equal bytes in sector n exactly when their numbers there are equal. A repaired sector
// takes its donor's number, so the comparisons after the reading never look at the bytes
// again; its bytes are taken only when the read is written (WRITING), from the first holder
// of that number, whose bytes no repair changes. Most repaired reads turn out duplicates and
// are never written. By sector, so that one sector's numbers lie together.
std::array<std::array<std::uint8_t, ALLIMGHI + 1>, ALLBL + 1> CONTENT;

// Every phase starts with an empty line and its header.
void phase_header(std::FILE* out, const char* header) {
  std::fprintf(out, "\n%s\n", header);
}

// One line of output, built in memory and written in one call. The program writes thousands
// of short numbers, and printf would parse a format for every one of them.
class LINE {
 public:
  LINE& operator<<(std::string_view text) {
    text_ += text;
    return *this;
  }
  LINE& operator<<(char c) {
    text_ += c;
    return *this;
  }
  LINE& operator<<(int v) { return right_aligned(v, 0); }
  // v right-aligned in `width` characters, as "%2d" and "%3d" give it.
  LINE& right_aligned(int v, int width) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    if (end - digits < width) text_.append(width - (end - digits), ' ');
    text_.append(digits, end);
    return *this;
  }
  void write_to(std::FILE* out) {
    std::fwrite(text_.data(), 1, text_.size(), out);
    text_.clear();
  }

 private:
  std::string text_;
};

// "37 [2/5]": the sector number, then its track and sector.
LINE& SECTOR_N2S(LINE& line, int n) {
  return line << n << " [" << n / ALLSC << '/' << n % ALLSC << ']';
}

// A bad sector is exactly 256 bytes $BD, so two sectors are equal in the sense of the distance
// (both bad, or both good with equal words) exactly when their words are equal: plain word
// comparison serves the duplicate test, the distance and the difference report alike. It goes
// through all 64 words without stopping early, a loop that the compiler turns into a few wide
// vector operations.
bool same_sector(const TSECTOR& a, const TSECTOR& b) {
  std::uint32_t diff = 0;
  for (int w = 0; w < SECTORWORDS; ++w) diff |= a[w] ^ b[w];
  return diff == 0;
}

// A sector is good when at least one of its words differs from $BDBDBDBD.
bool is_valid_sector(const TSECTOR& s) {
  std::uint32_t diff = 0;
  for (int w = 0; w < SECTORWORDS; ++w) diff |= s[w] ^ BADWORD;
  return diff != 0;
}

// The contents found so far in each sector: COUNT[n] of them, the c-th first held by slot
// HOLDER[n][c], and whether it is good (VALID[n][c]). Reset when the reading starts.
struct TCONTENTS {
  std::array<int, ALLBL + 1> COUNT;
  std::array<std::array<TIMGNUMBER, ALLIMGHI + 1>, ALLBL + 1> HOLDER;
  std::array<std::array<bool, ALLIMGHI + 1>, ALLBL + 1> VALID;
};
TCONTENTS CONTENTS;

// Numbers the contents of slot IMGNUM, just loaded (CONTENT), and sets DATAVALID: each sector
// takes the number of the first slot before it whose sector it equals, or a new one. Equality
// is an equivalence, so each sector is compared with one holder of every content found so far
// instead of with every other slot (reads of one disk seldom have more than two or three
// contents in a sector), and a sector is good when its content is, which is looked at once.
// Done as each read is loaded, while its bytes are still in the processor's cache.
void number_contents(TIMGNUMBER IMGNUM) {
  TIMGDESC& im = IMAGES[IMGNUM];
  for (int n = 0; n <= ALLBL; ++n) {
    int& count = CONTENTS.COUNT[n];
    auto& holder = CONTENTS.HOLDER[n];
    int c = 0;
    while (c < count && !same_sector(IMAGES[holder[c]].DATA[n], im.DATA[n])) ++c;
    if (c == count) {
      holder[count++] = IMGNUM;
      CONTENTS.VALID[n][c] = is_valid_sector(im.DATA[n]);
    }
    CONTENT[n][IMGNUM] = static_cast<std::uint8_t>(c);
    im.DATAVALID[n] = CONTENTS.VALID[n][c];
  }
}

// Whether two slots hold equal bytes in every sector.
bool same_image(TIMGNUMBER a, TIMGNUMBER b) {
  for (const auto& sector : CONTENT)
    if (sector[a] != sector[b]) return false;
  return true;
}

// Whether the present slots hold different contents in sector n.
bool sector_differs(int n) {
  int first = -1;
  for (TIMGNUMBER i = ALLIMGLO; i <= ALLIMGHI; ++i) {
    if (!IMAGES[i].PRESENT) continue;
    if (first < 0) first = CONTENT[n][i];
    if (CONTENT[n][i] != first) return true;
  }
  return false;
}

// Loads file N into slot IMGNUM.
void ADDIMAGE(std::FILE* out, TIMGNUMBER IMGNUM, const std::string& N) {
  TIMGDESC& im = IMAGES[IMGNUM];
  blend::read_whole_file(N, im.DATA.data(), sizeof(TIMGFILE));
  number_contents(IMGNUM);
  const auto bad = std::count(im.DATAVALID.begin(), im.DATAVALID.end(), false);
  im.PRESENT = true;
  im.NAME = N;
  std::fprintf(out, "Add %s image, %d bad block(s)\n", N.c_str(), static_cast<int>(bad));
}

// Loads every image file of the current directory into the slots, in directory order, and
// lists the other entries. Images beyond the last slot are named and left out.
void READING(std::FILE* out) {
  phase_header(out, ">>> Find and loading images...");
  for (TIMGDESC& im : IMAGES) im.PRESENT = false;
  CONTENTS.COUNT.fill(0);

  TIMGNUMBER next = ALLIMGLO;
  blend::list_directory([out, &next](const TDIRENTRY& entry) {
    if (entry.DIRECTORY) return;  // also "." and ".."
    const std::string& name = entry.NAME;
    const bool image =
        entry.REGULAR && entry.SIZE >= IMAGESIZE && entry.SIZE <= IMAGESIZE + MAXTRAILER;
    if (!image) {
      std::fprintf(out, "%s [%04X] is not image\n", name.c_str(), entry.ATTR);
    } else if (next > ALLIMGHI) {
      std::fprintf(out, "Skip %s image, all %d slots are in use\n", name.c_str(),
                   ALLIMGHI - ALLIMGLO + 1);
    } else {
      ADDIMAGE(out, next++, name);
    }
  });
}

// Drops every read that equals an earlier one, sector by sector.
void UNMARKEQU(std::FILE* out) {
  phase_header(out, ">>> Compare and delete images...");
  LINE line;
  for (TIMGNUMBER i = ALLIMGLO; i <= ALLIMGHI; ++i) {
    if (!IMAGES[i].PRESENT) continue;
    line.right_aligned(i, 2) << ": " << IMAGES[i].NAME << " -";
    for (TIMGNUMBER j = i + 1; j <= ALLIMGHI; ++j) {
      if (!IMAGES[j].PRESENT) continue;
      line.right_aligned(j, 3);
      if (same_image(i, j)) {
        line << 'd';
        IMAGES[j].PRESENT = false;
      }
    }
    (line << '\n').write_to(out);
  }
}

// Orders the distance list of slot IM, entries in use first and nearer images before farther
// ones. The quicksort below is kept exactly as it is: it decides which of two equally near
// images comes first, and so which one gives its sectors.
void SORTDISTANCE(TIMGNUMBER IM) {
  auto& d = IMAGES[IM].DISTANCE;
  // True when a goes before b.
  const auto CMP = [](const TDISTDESC& a, const TDISTDESC& b) {
    if (a.P != b.P) return a.P;
    return a.P && a.D < b.D;
  };
  const auto SORT = [&d, &CMP](const auto& self, int L, int R) -> void {
    int I = L;
    int J = R;
    const TDISTDESC X = d[(L + R) / 2];
    do {
      while (CMP(d[I], X)) ++I;
      while (CMP(X, d[J])) --J;
      if (I <= J) {
        std::swap(d[I], d[J]);
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) self(self, L, J);
    if (I < R) self(self, I, R);
  };
  SORT(SORT, ALLIMGLO, ALLIMGHI);
}

// Fills each slot's distance list and sorts it. The distance between two reads is the number of
// sectors in which they differ.
void CALCDISTANCE(std::FILE* out) {
  phase_header(out, ">>> Calc and sort distance...");

  // All distances at once, sector by sector: two reads with different contents differ in that
  // sector. The present slots are grouped by their content there, and every slot counts the
  // members of the groups but its own: most reads share one content, so the few pairs that
  // differ are all that is counted.
  std::array<std::array<std::int32_t, ALLIMGHI + 1>, ALLIMGHI + 1> dist{};
  std::array<std::array<TIMGNUMBER, ALLIMGHI + 1>, ALLIMGHI + 1> members;
  std::array<int, ALLIMGHI + 1> size;
  for (int n = 0; n <= ALLBL; ++n) {
    if (!sector_differs(n)) continue;
    std::fill_n(size.begin(), CONTENTS.COUNT[n], 0);
    for (TIMGNUMBER i = ALLIMGLO; i <= ALLIMGHI; ++i) {
      if (IMAGES[i].PRESENT) members[CONTENT[n][i]][size[CONTENT[n][i]]++] = i;
    }
    const int contents = CONTENTS.COUNT[n];
    for (int a = 0; a < contents; ++a) {
      for (int b = 0; b < contents; ++b) {
        if (a == b) continue;
        for (int x = 0; x < size[a]; ++x) {
          for (int y = 0; y < size[b]; ++y) ++dist[members[a][x]][members[b][y]];
        }
      }
    }
  }

  LINE line;
  for (TIMGNUMBER i = ALLIMGLO; i <= ALLIMGHI; ++i) {
    TIMGDESC& im = IMAGES[i];
    if (!im.PRESENT) continue;
    line.right_aligned(i, 2) << ": " << im.NAME << " -";
    for (TIMGNUMBER j = ALLIMGLO; j <= ALLIMGHI; ++j) {
      if (IMAGES[j].PRESENT && j != i) {
        line.right_aligned(j, 3) << ':' << static_cast<int>(dist[i][j]);
        im.DISTANCE[j] = TDISTDESC{true, dist[i][j], j};
      } else {
        im.DISTANCE[j] = TDISTDESC{false, 0, j};
      }
    }
    (line << '\n').write_to(out);

    SORTDISTANCE(i);

    line << "  [";
    for (int k = ALLIMGLO; k <= ALLIMGHI; ++k) {
      const TDISTDESC& e = im.DISTANCE[k];
      if (e.P) line << k << '.' << e.N << ':' << static_cast<int>(e.D) << ' ';
    }
    (line << "]\n").write_to(out);
  }
}

// One repair pass: each bad sector of each read takes the content of the nearest read that has
// it good at that moment, so a sector repaired in one slot can serve later slots of the same pass.
// Returns the number of sectors repaired.
int CUREBLOCKS(std::FILE* out) {
  phase_header(out, ">>> Cure images...");
  int cured = 0;
  LINE line;
  for (TIMGNUMBER i = ALLIMGLO; i <= ALLIMGHI; ++i) {
    TIMGDESC& im = IMAGES[i];
    if (!im.PRESENT) continue;
    (line << "===== ").right_aligned(i, 2) << ": " << im.NAME << " =====\n";
    line.write_to(out);
    for (int n = 0; n <= ALLBL; ++n) {
      if (im.DATAVALID[n]) continue;
      const TDISTDESC* donor = nullptr;
      for (const TDISTDESC& e : im.DISTANCE) {
        if (e.P && IMAGES[e.N].DATAVALID[n]) {
          donor = &e;
          break;
        }
      }
      if (donor == nullptr) {
        (SECTOR_N2S(line << "Donor for sector ", n) << " not found :(\n").write_to(out);
        continue;
      }
      const TIMGDESC& from = IMAGES[donor->N];
      CONTENT[n][i] = CONTENT[n][donor->N];
      im.DATAVALID[n] = true;
      ++cured;
      SECTOR_N2S(line << "Sector ", n)
          << " cured from " << from.NAME << ", distance = " << static_cast<int>(donor->D) << '\n';
      line.write_to(out);
    }
  }
  return cured;
}

// Lists the sectors in which the remaining reads still differ, and for each read the others
// that differ from it there.
void SHOWDIFFERENT(std::FILE* out) {
  phase_header(out, ">>> Show diff...");
  LINE line;
  line << '\t';
  for (TIMGNUMBER i = ALLIMGLO; i <= ALLIMGHI; ++i) {
    if (IMAGES[i].PRESENT) line << '\t' << i << ':' << IMAGES[i].NAME;
  }
  (line << '\n').write_to(out);

  for (int n = 0; n <= ALLBL; ++n) {
    if (!sector_differs(n)) continue;
    SECTOR_N2S(line, n) << '\t';
    for (TIMGNUMBER i = ALLIMGLO; i <= ALLIMGHI; ++i) {
      if (!IMAGES[i].PRESENT) continue;
      bool any = false;
      for (TIMGNUMBER j = ALLIMGLO; j <= ALLIMGHI; ++j) {
        if (j == i || !IMAGES[j].PRESENT || CONTENT[n][j] == CONTENT[n][i]) continue;
        if (any) line << ',';
        line << j;
        any = true;
      }
      // A line is written only where the reads differ, so each of them differs from some other
      // one there; "-" stands for an empty list all the same.
      if (!any) line << '-';
      line << "\t\t";
    }
    (line << '\n').write_to(out);
  }
}

// Writes every remaining read as its name + ".rep": each sector the bytes of its content.
void WRITING(std::FILE* out) {
  phase_header(out, ">>> Writing images...");
  static TIMGFILE repaired;
  for (TIMGNUMBER i = ALLIMGLO; i <= ALLIMGHI; ++i) {
    const TIMGDESC& im = IMAGES[i];
    if (!im.PRESENT) continue;
    for (int n = 0; n <= ALLBL; ++n)
      repaired[n] = IMAGES[CONTENTS.HOLDER[n][CONTENT[n][i]]].DATA[n];
    const std::string name = im.NAME + ".rep";
    std::fprintf(out, "%s saved\n", name.c_str());
    blend::write_whole_file(name, repaired.data(), sizeof(TIMGFILE));
  }
}

}  // namespace

// The whole run over the current directory, messages to `out`. Returns the exit status: 0, or
// 1 when a file could not be listed, opened, read or written (the files written before stay).
int blend_main(std::FILE* out) {
  try {
    READING(out);
    UNMARKEQU(out);
    CALCDISTANCE(out);
    while (CUREBLOCKS(out) != 0) {
    }
    UNMARKEQU(out);
    SHOWDIFFERENT(out);
    WRITING(out);
  } catch (const TFILEERROR& e) {
    std::fprintf(out, "Error: %s\n", e.TEXT.c_str());
    std::fflush(out);
    return EXIT_FAILURE;
  }
  return std::fflush(out) == 0 && std::ferror(out) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

#ifndef BLEND_NO_MAIN
// Without arguments the run over the current directory; "--version" first prints the version;
// with arguments that name reads, those reads blended into one image (blend_command.h).
int main(int argc, char** argv) {
  const std::vector<std::string> args = agat::program_arguments(argc, argv);
  if (agat::asks_for_version(args)) {
    std::puts(agat::version_line("blend").c_str());
    return EXIT_SUCCESS;
  }
  if (blend::names_reads(args)) return blend::blend_command(args, stdout, stderr);
  return blend_main(stdout);
}
#endif
