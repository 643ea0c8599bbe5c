// make_seeds SAMPLES OUT: the seed corpora of the fuzz targets, made from the sample images
// and ".FIL" files that tools/make_samples wrote into SAMPLES, and from the AIM track
// builder of the tests. Each target gets the folder OUT/<target>:
//   image_load, image_ops, sector_map: every sample disk in every form of its geometry whose
//     file is its tracks (the operations target with a script of every operation after it);
//   track_nib140, track_nib800, track_aim800: track records of the nibble samples and AIM
//     tracks built from the 800 KB sample, each followed by a few sector changes;
//   basic_listing, text_views, binary_listing, pictures, info_page: every file of the
//     samples as a ".FIL" file (the pictures target with a selector byte before it; the
//     binary listing also its bytes as an AppleSingle file);
//   file_compare: pairs of sample files, and each file with a changed copy of itself;
//   woz_file: every 140 KB sample as a WOZ file.
//   container_hfe, container_mfi: every 800 KB sample as an HFE and an MFI file;
//   container_mfi140: every 140 KB sample as an MFI file.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "content/apple_single.h"
#include "content/format_defines.h"
#include "core/file_control.h"
#include "core/image_form.h"
#include "image_input.h"
#include "support/aim_track.h"

namespace {

using namespace agat;
using agat::fuzz::Bytes;
namespace fs = std::filesystem;

class Corpus {
 public:
  explicit Corpus(fs::path dir) : dir_(std::move(dir)) { fs::create_directories(dir_); }
  void add(const Bytes& input) {
    std::ofstream(dir_ / ("seed-" + std::to_string(count_++)), std::ios::binary)
        .write(reinterpret_cast<const char*>(input.data()),
               static_cast<std::streamsize>(input.size()));
  }

 private:
  fs::path dir_;
  int count_ = 0;
};

Bytes read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every operation of the operations target once: save N1, make N2, enter it, save N3 there,
// leave, delete N1, undelete it, rename the first file, lock it, clean.
const Bytes kScript = {0, 1, 0x04, 0x40, 0x00, 4, 2, 6, 0xFF, 0,    3, 0x00, 0x10, 0x00,
                       6, 0, 1,    1,    2,    1, 3, 0, 5,    0x02, 7, 0,    1,    5};

// The Agat files of a medium's current catalog, and of every sub-catalog below it, as
// ".FIL" bytes.
void collect_files(TMEDIA& md, std::vector<Bytes>& files, int depth = 0) {
  static const auto buf = std::make_unique<TFILEBUF>();
  FC_READCAT(md);
  std::vector<TCATREC> subs;
  for (int i = 1; i < md.CAT.CATNUM; ++i) {
    TCATREC& e = md.CAT.CATREC[i];
    if (e.CATRECT == CRTBTKDIR && e.TTSL != 0xFF) subs.push_back(e);
    if (e.CATRECT != CRTAGATFILE || e.TTSL == 0xFF) continue;
    FC_LOAD(e, *buf);
    Bytes fil(e.AGATNAME.begin(), e.AGATNAME.end());
    fil.insert(fil.end(), e.TSDATA.begin(), e.TSDATA.end());
    fil.push_back(e.EXT);
    fil.insert(fil.end(), buf->begin(), buf->begin() + e.SIZE);
    files.push_back(std::move(fil));
  }
  if (depth > 0) return;
  for (TCATREC& sub : subs) {
    const auto& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
    TCATREC back = sub;
    back.TTSL = vt.TE;
    back.STSL = vt.SE;
    FC_CHDIR(sub);
    collect_files(md, files, depth + 1);
    FC_CHDIR(back);
    FC_READCAT(md);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds SAMPLES OUT\n");
    return 2;
  }
  const fs::path samples = argv[1], out = argv[2];
  // The samples are changed by entering their sub-catalogs: work on copies.
  const fs::path work = out / "work";
  fs::create_directories(work);
  Corpus load(out / "image_load"), ops(out / "image_ops"), map(out / "sector_map");
  Corpus nib140(out / "track_nib140"), nib800(out / "track_nib800"), aim800(out / "track_aim800");
  Corpus basic(out / "basic_listing"), text(out / "text_views"), binary(out / "binary_listing");
  Corpus pictures(out / "pictures"), compare(out / "file_compare"), info(out / "info_page");
  Corpus woz(out / "woz_file"), hfe(out / "container_hfe"), mfi(out / "container_mfi");
  Corpus mfi140(out / "container_mfi140");

  std::vector<Bytes> files;
  for (const auto& entry : fs::directory_iterator(samples)) {
    const fs::path path = entry.path();
    const Bytes bytes = read_all(path);
    if (path.extension() == ".FIL") {
      files.push_back(bytes);
      continue;
    }
    TIMAGET type{};
    if (!image_type_of_file(path.string(), bytes.size(), type)) continue;
    fs::copy_file(path, work / path.filename(), fs::copy_options::overwrite_existing);
    auto md = std::make_unique<TMEDIA>();
    md->MEDIAT = MDIMAGE;
    md->HOSTPATH = work.string() + "/";
    md->IMAGENAME = path.filename().string();
    set_geometry(*md, type);
    FC_LOADMEDIA(*md);
    auto disk = std::make_unique<fuzz::TDISK>();
    std::copy(md->MASS.begin(), md->MASS.end(), disk->begin());
    // The sample in its own form, with its header, and in the other forms of its geometry.
    for (const TIMAGET f : fuzz::image_input_forms()) {
      if (IMAGEDESC[f].NTR != md->NUMTR) continue;
      const Bytes file = f == type ? bytes : image_file_bytes(f, *disk);
      const Bytes input = fuzz::encode_image_input(f, *disk, file);
      load.add(input);
      map.add(input);
      ops.add(fuzz::encode_image_input(f, *disk, file, kScript));
    }
    if (md->NUMTR == IMAGEDESC[ITW140].NTR) {
      woz.add(image_file_bytes(ITW140, *disk));
      mfi140.add(image_file_bytes(ITM140, *disk));
    }
    if (md->NUMTR == IMAGEDESC[ITH800].NTR) {
      hfe.add(image_file_bytes(ITH800, *disk));
      mfi.add(image_file_bytes(ITM800, *disk));
    }
    // Track records, each with a change of sector 3 and of sector 17.
    const Bytes changes = {3, 1, 17, 0x80};
    for (const int t : {0, 17, 18, int{md->NUMTR}}) {
      const auto add = [&](Corpus& corpus, const std::uint8_t* record, std::size_t size) {
        Bytes seed(record, record + size);
        seed.insert(seed.end(), changes.begin(), changes.end());
        corpus.add(seed);
      };
      if (type == ITN140) add(nib140, bytes.data() + t * 6656, 6656);
      if (type == ITN800) add(nib800, bytes.data() + t * 5922, 5922);
      if (type == ITI800) {
        const Bytes record =
            testing::aim_record(testing::aim_cells((*disk)[t], static_cast<std::uint8_t>(t)));
        add(aim800, record.data(), record.size());
      }
      // The same with the marks of protected disks: address fields closed by $A5, an
      // exclusive-or checksum, a data cell with the mark flag.
      if (type == ITN800 && t == 0) {
        Bytes record(bytes.begin(), bytes.begin() + 5922);
        record[7 * 282 + 18] = 0xA5;
        std::uint8_t x = 0;
        for (int k = 0; k < 256; ++k) x ^= record[4 * 282 + 24 + k];
        record[4 * 282 + 280] = x;
        add(nib800, record.data(), record.size());
      }
      if (type == ITI800 && t == 0) {
        auto cells = testing::aim_cells((*disk)[t], 0);
        for (int s = 0; s <= MAXSECTOR; ++s) cells[288 * s + 16] = 0xA5;
        cells[288 * 5 + 286] = xor_checksum((*disk)[t][5]);
        cells[288 * 9 + 40] |= testing::AIM_MARK;
        const Bytes record = testing::aim_record(cells);
        add(aim800, record.data(), record.size());
      }
    }
    if (type == ITI140 || type == ITI800) collect_files(*md, files);
  }

  for (std::size_t i = 0; i < files.size(); ++i) {
    const Bytes& fil = files[i];
    basic.add(fil);
    info.add(fil);
    text.add(fil);
    binary.add(fil);
    // The file's bytes as an AppleSingle file.
    const std::string single =
        pack_apple_single(std::string(fil.begin(), fil.end()), static_cast<std::uint16_t>(i));
    binary.add(Bytes(single.begin(), single.end()));
    // Detected, in its first reading and in the first mode; read as a video image of a B
    // file in MGR; read as a plain ZX screen.
    for (const std::uint8_t selector : Bytes{0xF0, 0x00, 0x40 | FFBINGRAF, 0x10 | FFZXUNCOMPGRAF}) {
      Bytes seed = {selector};
      seed.insert(seed.end(), fil.begin(), fil.end());
      pictures.add(seed);
    }
    // The file against a copy with two bytes changed, and against the next file.
    Bytes changed = fil;
    if (changed.size() > 60) changed[50] ^= 1, changed[changed.size() - 3] ^= 0x80;
    const Bytes& next = files[(i + 1) % files.size()];
    for (const Bytes* other : {static_cast<const Bytes*>(&changed), &next}) {
      for (const std::uint8_t format : Bytes{0, 1, 2}) {
        Bytes seed = {format, static_cast<std::uint8_t>(fil.size()),
                      static_cast<std::uint8_t>(fil.size() >> 8),
                      static_cast<std::uint8_t>(fil.size() >> 16)};
        seed.insert(seed.end(), fil.begin(), fil.end());
        seed.insert(seed.end(), other->begin(), other->end());
        compare.add(seed);
      }
    }
  }
  fs::remove_all(work);
  std::printf("make_seeds: %zu files, seeds in %s\n", files.size(), out.string().c_str());
  return 0;
}
