#include "core/hfe_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/mfm_track.h"
#include "core/track_workers.h"
#include "core/world_formats.h"

namespace agat {

namespace {

constexpr char SIGNATURE[] = "HXCPICFE";
constexpr char SIGNATURE_V3[] = "HXCHFEV3";
constexpr int CYLINDERS = (MAXTRACK + 1) / 2;
constexpr std::size_t HALF = HFE_BLOCK / 2;  // bytes of one side in a block

bool signed_as(std::span<const std::uint8_t> prefix, const char* signature) {
  return prefix.size() >= 8 && std::memcmp(prefix.data(), signature, 8) == 0;
}

// Where byte I of SIDE of a cylinder whose cells start at OFFSET lies in the file.
std::size_t side_byte(std::size_t offset, int side, std::size_t i) {
  return offset + (i / HALF) * HFE_BLOCK + side * HALF + i % HALF;
}

struct Cylinder {
  std::size_t offset = 0;  // bytes
  std::size_t side = 0;    // bytes of each side
};

// The place of cylinder C in FILE by its table, or a side of 0 bytes when the table or the
// file does not hold it whole.
Cylinder cylinder_of(std::span<const std::uint8_t> file, int c) {
  const int cylinders = file[9];
  const std::size_t table = std::size_t{get_le16(&file[18])} * HFE_BLOCK + 4u * c;
  if (c >= cylinders || table + 4 > file.size()) return {};
  Cylinder cyl{std::size_t{get_le16(&file[table])} * HFE_BLOCK, get_le16(&file[table + 2]) / 2u};
  if (cyl.side == 0 || side_byte(cyl.offset, 1, cyl.side - 1) >= file.size()) return {};
  return cyl;
}

}  // namespace

bool hfe_signed(std::span<const std::uint8_t> prefix) {
  return signed_as(prefix, SIGNATURE) || signed_as(prefix, SIGNATURE_V3);
}

bool hfe_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records) {
  if (file.size() < 2 * HFE_BLOCK || !hfe_signed(file)) {
    report_critical("Чтение образа: в файле нет заголовка образа HFE"_w);
    return false;
  }
  if (signed_as(file, SIGNATURE_V3)) {
    report_critical("Чтение образа: образ HFE версии 3 не поддерживается"_w);
    return false;
  }
  if (file[10] < 2 || file[9] <= 42) {  // a 140 KB disk has 35 to 42 cylinders
    report_critical(std::string("Чтение образа: образ HFE не диска 800 К (цилиндров "_w) +
                    std::to_string(file[9]) + std::string(", сторон "_w) +
                    std::to_string(file[10]) +
                    std::string("); образы 140 К в форме HFE не поддерживаются"_w));
    return false;
  }
  const std::size_t record = records.size() / (MAXTRACK + 1u);
  int missing = 0, first_missing = -1;
  std::vector<std::uint8_t> lost(MAXTRACK + 1u);
  // Two workers write each record whole: the count, the cells, then zeros (a track the file
  // lacks is all zeros, no cells).
  for_each_track(
      MAXTRACK,
      [&](int t, int) {
        const Cylinder cyl = cylinder_of(file, t / 2);
        std::uint8_t* out = records.data() + t * record;
        std::size_t filled = 0;
        if (cyl.side == 0 || cyl.side > record - 4) {
          lost[t] = 1;
        } else {
          put_le32(out, static_cast<std::uint32_t>(cyl.side * 8));
          for (std::size_t i = 0; i < cyl.side; i += HALF)  // a side runs on for half a block
            std::memcpy(out + 4 + i, &file[side_byte(cyl.offset, t % 2, i)],
                        std::min(HALF, cyl.side - i));
          filled = 4 + cyl.side;
        }
        std::fill(out + filled, out + record, 0);
      },
      [&](int t) {
        if (lost[t] != 0 && missing++ == 0) first_missing = t;
      });
  if (missing != 0)
    report_warning(std::string("Чтение образа: в файле HFE нет дорожки "_w) +
                   std::to_string(first_missing) +
                   (missing > 1 ? std::string(" и ещё "_w) + std::to_string(missing - 1) : "") +
                   std::string(", их секторы не читаются"_w));
  return true;
}

void hfe_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
              std::vector<std::uint8_t>& file) {
  const bool keep = old.size() >= 2 * HFE_BLOCK && signed_as(old, SIGNATURE);
  const int cylinders = keep ? std::max<int>(old[9], CYLINDERS) : CYLINDERS;
  const std::size_t table_blocks = (4u * cylinders + HFE_BLOCK - 1) / HFE_BLOCK;
  file.assign((1 + table_blocks) * HFE_BLOCK, 0xFF);
  if (keep) {
    std::copy_n(old.begin(), HFE_BLOCK, file.begin());
  } else {
    std::memcpy(file.data(), SIGNATURE, 8);
    const std::uint8_t head[] = {0, CYLINDERS, 2, 0, 250, 0, 44, 1, 7, 1, 1, 0, 0xFF, 0xFF};
    std::copy(std::begin(head), std::end(head), file.begin() + 8);
  }
  file[9] = static_cast<std::uint8_t>(cylinders);
  put_le16(&file[18], 1);
  const std::size_t record = records.size() / (MAXTRACK + 1u);
  for (int c = 0; c < cylinders; ++c) {
    std::size_t side = 0;
    const std::uint8_t* sides[2] = {nullptr, nullptr};
    Cylinder kept;
    if (c < CYLINDERS) {
      for (int s = 0; s < 2; ++s) {
        sides[s] = records.data() + (2 * c + s) * record;
        side = std::max<std::size_t>(side, (mfm_cell_count({sides[s], record}) + 7) / 8);
      }
    } else {
      kept = cylinder_of(old, c);
      side = kept.side;
    }
    const std::size_t offset = file.size();
    put_le16(&file[HFE_BLOCK + 4 * c], static_cast<std::uint16_t>(offset / HFE_BLOCK));
    put_le16(&file[HFE_BLOCK + 4 * c + 2], static_cast<std::uint16_t>(2 * side));
    file.resize(offset + (side + HALF - 1) / HALF * HFE_BLOCK, 0);
    for (int s = 0; s < 2; ++s) {
      const std::size_t have = sides[s] ? (mfm_cell_count({sides[s], record}) + 7) / 8 : side;
      for (std::size_t i = 0; i < have; ++i)
        file[side_byte(offset, s, i)] =
            sides[s] ? sides[s][4 + i] : old[side_byte(kept.offset, s, i)];
    }
  }
}

}  // namespace agat
