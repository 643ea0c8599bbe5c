// The report of a blend: as lines in the manner of the blend program's phases, and as JSON.
#include <cstdio>

#include "core/blend_reads.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"

namespace agat {

namespace {

constexpr const char* kOutcomes[] = {"good", "repaired", "resolved", "unresolved", "bad"};

std::string shown(const BlendRead& read) {
  return host_to_cp1251(read.path);
}

std::string side_names(const std::vector<BlendRead>& reads, const std::vector<int>& side) {
  std::string text;
  for (const int k : side) text += (text.empty() ? "" : ", ") + shown(reads[k]);
  return text;
}

// "a.aim, c.nib | b.dsk": the reads of each content, the one taken first.
std::string conflict_sides(const std::vector<BlendRead>& reads, const BlendSector& sector) {
  std::string text;
  for (const auto& side : sector.sides)
    text += (text.empty() ? "" : " | ") + side_names(reads, side);
  return text;
}

std::string sector_line(const std::vector<BlendRead>& reads, const BlendResult& r, int t, int s) {
  const BlendSector& sector = r.sectors[t * (r.NSC + 1) + s];
  std::string line = std::string("Сектор "_w) + blend_sector_name(r, t, s);
  if (sector.outcome == BlendOutcome::bad)
    return line + std::string(" не прочитан ни в одном образе"_w);
  line += std::string(" взят из "_w) + shown(reads[sector.from]);
  if (sector.outcome == BlendOutcome::resolved)
    line += std::string(" по большинству, конфликт: "_w) + conflict_sides(reads, sector);
  if (sector.outcome == BlendOutcome::unresolved)
    line += std::string(" как из первого образа, конфликт не разрешён: "_w) +
            conflict_sides(reads, sector);
  if (sector.lost)
    line += std::string(", но не записан: в образе "_w) + std::string(IMAGEDESC[r.form].SHNAME) +
            std::string(" нет его поля"_w);
  return line;
}

void json_string(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

std::string host_name(const std::string& path) {
  return is_valid_utf8(path) ? path : cp1251_to_utf8(path);
}

}  // namespace

std::string blend_sector_name(const BlendResult& result, int track, int sector) {
  const std::string place = std::to_string(track) + "/" + std::to_string(sector);
  if (result.NTR != IMAGEDESC[ITI140].NTR || result.NSC != IMAGEDESC[ITI140].NSC) return place;
  return std::to_string(track * (result.NSC + 1) + sector) + " [" + place + "]";
}

std::vector<std::string> blend_report_lines(const std::vector<BlendRead>& reads,
                                            const BlendResult& r) {
  std::vector<std::string> lines;
  const auto phase = [&lines](std::string_view header) {
    lines.emplace_back();
    lines.emplace_back(header);
  };
  phase(">>> Образы..."_w);
  for (std::size_t k = 0; k < reads.size(); ++k) {
    const BlendRead& read = reads[k];
    int bad = 0;
    for (const std::uint32_t mask : read.bad)
      for (int s = 0; s <= r.NSC; ++s) bad += (mask >> s) & 1;
    std::string line = (k < 10 ? " " : "") + std::to_string(k) + ": " + shown(read) + " - " +
                       std::string(IMAGEDESC[read.form].SHNAME) +
                       std::string(", не прочитано секторов: "_w) + std::to_string(bad);
    if (read.duplicate_of >= 0)
      line += std::string(", совпадает с "_w) + std::to_string(read.duplicate_of);
    lines.push_back(line);
  }
  phase(">>> Откуда взяты секторы..."_w);
  for (int t = 0; t <= r.NTR; ++t)
    for (int s = 0; s <= r.NSC; ++s)
      if (r.sectors[t * (r.NSC + 1) + s].outcome != BlendOutcome::good)
        lines.push_back(sector_line(reads, r, t, s));
  phase(">>> Не прочитаны ни в одном образе..."_w);
  for (int t = 0; t <= r.NTR; ++t)
    for (int s = 0; s <= r.NSC; ++s)
      if (r.sectors[t * (r.NSC + 1) + s].outcome == BlendOutcome::bad)
        lines.push_back(blend_sector_name(r, t, s));
  phase(">>> Итого..."_w);
  lines.push_back(std::string("Хороши во всех образах: "_w) + std::to_string(r.good));
  lines.push_back(std::string("Восстановлено: "_w) + std::to_string(r.repaired));
  lines.push_back(std::string("Не прочитано ни в одном образе: "_w) + std::to_string(r.bad));
  lines.push_back(std::string("Конфликтов: "_w) + std::to_string(r.conflicts) +
                  std::string(", из них не разрешено: "_w) + std::to_string(r.unresolved));
  if (r.lost != 0) lines.push_back(std::string("Не записано в образ: "_w) + std::to_string(r.lost));
  if (!r.output.empty()) {
    phase(">>> Запись образа..."_w);
    lines.push_back(host_to_cp1251(r.output) + " (" + std::string(IMAGEDESC[r.form].SHNAME) +
                    std::string(") записан"_w));
  }
  return lines;
}

std::string blend_report_json(const std::vector<BlendRead>& reads, const BlendResult& r) {
  std::string out = "{\"reads\":[";
  for (std::size_t k = 0; k < reads.size(); ++k) {
    const BlendRead& read = reads[k];
    int bad = 0;
    for (const std::uint32_t mask : read.bad)
      for (int s = 0; s <= r.NSC; ++s) bad += (mask >> s) & 1;
    out += k == 0 ? "{\"file\":" : ",{\"file\":";
    json_string(out, host_name(read.path));
    out += ",\"form\":";
    json_string(out, IMAGEDESC[read.form].form_name);
    out += ",\"bad\":" + std::to_string(bad) + ",\"duplicate_of\":" +
           (read.duplicate_of < 0 ? std::string("null") : std::to_string(read.duplicate_of)) + "}";
  }
  out += "],\"output\":";
  json_string(out, host_name(r.output));
  out += ",\"form\":";
  json_string(out, IMAGEDESC[r.form].form_name);
  out += ",\"sectors\":[";
  std::string still_bad;
  bool first = true;
  for (int t = 0; t <= r.NTR; ++t) {
    for (int s = 0; s <= r.NSC; ++s) {
      const BlendSector& sector = r.sectors[t * (r.NSC + 1) + s];
      if (sector.outcome == BlendOutcome::good) continue;
      if (sector.outcome == BlendOutcome::bad) {
        if (!still_bad.empty()) still_bad += ',';
        json_string(still_bad, blend_sector_name(r, t, s));
      }
      out += first ? "{\"sector\":" : ",{\"sector\":";
      first = false;
      json_string(out, blend_sector_name(r, t, s));
      out += ",\"track\":" + std::to_string(t) + ",\"index\":" + std::to_string(s) +
             ",\"outcome\":\"" + kOutcomes[static_cast<int>(sector.outcome)] + "\",\"from\":";
      if (sector.from < 0)
        out += "null";
      else
        json_string(out, host_name(reads[sector.from].path));
      out += ",\"written\":";
      out += sector.from >= 0 && !sector.lost ? "true" : "false";
      out += ",\"conflict\":[";
      for (std::size_t i = 0; i < sector.sides.size(); ++i) {
        out += i == 0 ? "[" : ",[";
        for (std::size_t j = 0; j < sector.sides[i].size(); ++j) {
          if (j != 0) out += ',';
          json_string(out, host_name(reads[sector.sides[i][j]].path));
        }
        out += ']';
      }
      out += "]}";
    }
  }
  out += "],\"still_bad\":[" + still_bad + "],\"totals\":{\"good\":" + std::to_string(r.good) +
         ",\"repaired\":" + std::to_string(r.repaired) + ",\"bad\":" + std::to_string(r.bad) +
         ",\"conflicts\":" + std::to_string(r.conflicts) +
         ",\"unresolved\":" + std::to_string(r.unresolved) + ",\"lost\":" + std::to_string(r.lost) +
         "}}";
  return out;
}

}  // namespace agat
