#include "index_html.h"

#include <cerrno>
#include <cstdio>
#include <map>

#include "command_support.h"
#include "core/catalog_read.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/host_errors.h"
#include "core/host_fs.h"
#include "core/host_paths.h"
#include "index_json.h"
#include "terminal.h"

namespace agat {

namespace {

// Sorts a table by the column whose heading is clicked, numbers as numbers; again, the other
// way round. Part of the page: the catalogue needs nothing from elsewhere.
constexpr std::string_view kSortScript = R"(<script>
document.querySelectorAll('th').forEach((th, col) => th.addEventListener('click', () => {
  const body = th.closest('table').tBodies[0];
  const up = th.dataset.order !== 'up';
  th.dataset.order = up ? 'up' : 'down';
  const key = row => row.cells[col].dataset.key ?? row.cells[col].textContent;
  const rows = Array.from(body.rows).sort((a, b) => {
    const x = key(a), y = key(b);
    const c = x !== '' && y !== '' && !isNaN(x) && !isNaN(y) ? x - y : x.localeCompare(y);
    return up ? c : -c;
  });
  rows.forEach(row => body.appendChild(row));
}));
</script>
)";

constexpr std::string_view kStyle =
    "body{font-family:sans-serif;margin:1em}table{border-collapse:collapse}"
    "th,td{border:1px solid #999;padding:2px 6px;text-align:left;vertical-align:top}"
    "th{cursor:pointer;background:#eee}.bad{color:#b00}pre{font-family:monospace}"
    "img{image-rendering:pixelated;border:1px solid #999}";

std::string u(std::string_view cp1251) {
  return cp1251_to_utf8(cp1251);
}
std::string cell(const std::string& html, const std::string& key = {}) {
  return key.empty() ? "<td>" + html + "</td>" : "<td data-key=\"" + key + "\">" + html + "</td>";
}
std::string link(const std::string& target, const std::string& html) {
  return "<a href=\"" + html_escape(target) + "\">" + html + "</a>";
}
std::string head_row(std::initializer_list<std::string_view> headings) {
  std::string row = "<thead><tr>";
  for (std::string_view h : headings) row += "<th>" + u(h) + "</th>";
  return row + "</tr></thead>\n";
}

std::string state(const IndexedImage& i) {
  if (!i.read) return "<span class=\"bad\">" + u("не прочитан"_w) + "</span>";
  if (!i.check) return u("нет каталога DOS"_w);
  return i.check->damaged ? "<span class=\"bad\">" + u("повреждён"_w) + "</span>" : u("исправен"_w);
}

// The duplicate groups of each image, as links into duplicates.html.
std::map<std::size_t, std::string> group_links(const Duplicates& d) {
  std::map<std::size_t, std::string> links;
  const auto add = [&links](const std::vector<std::size_t>& images, const std::string& anchor,
                            const std::string& label) {
    for (std::size_t i : images)
      links[i] += (links[i].empty() ? "" : " ") + link("duplicates.html#" + anchor, label);
  };
  for (std::size_t g = 0; g < d.same_sectors.size(); ++g)
    add(d.same_sectors[g].images, "s" + std::to_string(g + 1),
        u("диск "_w) + std::to_string(g + 1));
  for (std::size_t g = 0; g < d.same_used.size(); ++g)
    add(d.same_used[g].images, "u" + std::to_string(g + 1),
        u("занятые "_w) + std::to_string(g + 1));
  for (std::size_t g = 0; g < d.near_copies.size(); ++g)
    add(d.near_copies[g].images, "n" + std::to_string(g + 1),
        u("копии "_w) + std::to_string(g + 1));
  return links;
}

std::string index_page(const CollectionIndex& index) {
  const auto links = group_links(index.duplicates);
  std::string body = "<h1>" + u("Собрание образов"_w) + "</h1>\n<p>" +
                     link("duplicates.html", u("Дубликаты"_w)) + "</p>\n<table>\n" +
                     head_row({"№"_w, "Образ"_w, "Форма"_w, "Размер"_w, "Том"_w, "Состояние"_w,
                               "Записей"_w, "Дубликаты"_w}) +
                     "<tbody>\n";
  for (std::size_t n = 0; n < index.images.size(); ++n) {
    const IndexedImage& i = index.images[n];
    const auto found = links.find(n);
    body += "<tr>" + cell(std::to_string(n + 1)) +
            cell(link(image_page_name(i.number), html_escape(i.path))) +
            cell(std::string(form_key(i.form))) + cell(std::to_string(i.size)) +
            cell(html_text(i.volume)) + cell(state(i)) + cell(std::to_string(i.entries.size())) +
            cell(found == links.end() ? "" : found->second) + "</tr>\n";
  }
  body += "</tbody></table>\n";
  if (!index.unread.empty()) {
    body += "<h2>" + u("Не прочитаны"_w) + "</h2>\n<ul>\n";
    for (const UnreadFile& f : index.unread)
      body += "<li>" + html_escape(f.path) + ": " + html_text(f.problem) + "</li>\n";
    body += "</ul>\n";
  }
  body += "<p>" + u("Пропущено (не образы): "_w) + std::to_string(index.not_images) +
          u(", ссылок: "_w) + std::to_string(index.links) + "</p>\n";
  return html_page(u("Собрание образов"_w), "", body + std::string(kSortScript));
}

std::string check_text(const IndexedImage& i) {
  if (!i.check) return u("На диске нет каталога DOS, который можно прочитать."_w);
  const CheckCounts& c = *i.check;
  return u(c.damaged ? "Найдены повреждения"_w : "Повреждений не найдено"_w) +
         u(": ошибок VTOC "_w) + std::to_string(c.vtoc) + u(", ошибок в секторах "_w) +
         std::to_string(c.errors) + u(", секторов с несколькими ссылками "_w) +
         std::to_string(c.shared) + u(", нечитаемых со ссылками "_w) +
         std::to_string(c.unreadable) + u(", брошенных T/S-списков "_w) +
         std::to_string(c.orphans) + u(", занятых, но свободных по VTOC "_w) +
         std::to_string(c.used_but_free) + u(", свободных, но занятых по VTOC "_w) +
         std::to_string(c.free_but_used) + u(", нестандартных "_w) + std::to_string(c.nonstandard) +
         ".";
}

std::string image_page(const IndexedImage& i) {
  std::string body = "<p>" + link("index.html", u("Собрание"_w)) + " · " +
                     link("duplicates.html", u("Дубликаты"_w)) + "</p>\n<p>" + u("Форма: "_w) +
                     std::string(form_key(i.form)) + u(", размер: "_w) + std::to_string(i.size) +
                     "</p>\n";
  if (!i.read) return body + "<p class=\"bad\">" + html_text(i.problem) + "</p>\n";
  body += "<p>" + u("Том: "_w) + html_text(i.volume) +
          (i.description.empty() ? "" : "<br>" + u("Описание: "_w) + html_text(i.description)) +
          "<br>" + u("SHA-256 секторов: "_w) + i.sectors_sha256 + "</p>\n<p>" + check_text(i) +
          "</p>\n<table>\n" +
          head_row({"Каталог"_w, "Имя"_w, "Тип"_w, "Секторов"_w, "Байт"_w, "Метки"_w, "SHA-256",
                    "Ошибка"_w}) +
          "<tbody>\n";
  for (std::size_t n = 0; n < i.entries.size(); ++n) {
    const IndexedEntry& e = i.entries[n];
    const std::string name = html_text(e.name);
    std::string marks = e.locked ? "*" : "";
    if (e.deleted) marks += u(" удалён"_w);
    body += "<tr>" + cell(html_text(e.catalog)) +
            cell(e.sha256.empty() ? name : link(file_page_name(i.number, n, ".html"), name)) +
            cell(e.btk ? u("каталог"_w) : html_text(std::string(1, FC_FTYPE(e.ext)))) +
            cell(std::to_string(e.sectors)) + cell(e.bytes < 0 ? "" : std::to_string(e.bytes)) +
            cell(marks) + cell(e.sha256) + cell(html_text(e.problem)) + "</tr>\n";
  }
  body += "</tbody></table>\n";
  if (!i.messages.empty()) {
    body += "<h2>" + u("Сообщения"_w) + "</h2>\n<ul>\n";
    for (const std::string& m : i.messages) body += "<li>" + html_text(m) + "</li>\n";
    body += "</ul>\n";
  }
  return body + std::string(kSortScript);
}

std::string image_item(const CollectionIndex& index, std::size_t n) {
  const IndexedImage& i = index.images[n];
  return link(image_page_name(i.number), html_escape(i.path));
}

std::string duplicates_page(const CollectionIndex& index) {
  const Duplicates& d = index.duplicates;
  std::string body =
      "<h1>" + u("Дубликаты"_w) + "</h1>\n<p>" + link("index.html", u("Собрание"_w)) + "</p>\n";
  const auto images = [&](const std::vector<ImageGroup>& groups, std::string_view heading,
                          const std::string& prefix) {
    body += "<h2>" + u(heading) + "</h2>\n<ol>\n";
    for (std::size_t g = 0; g < groups.size(); ++g) {
      body +=
          "<li id=\"" + prefix + std::to_string(g + 1) + "\">SHA-256 " + groups[g].sha256 + "<ul>";
      for (std::size_t n : groups[g].images) body += "<li>" + image_item(index, n) + "</li>";
      body += "</ul></li>\n";
    }
    body += "</ol>\n";
  };
  images(d.same_sectors, "Один диск (одинаковые секторы)"_w, "s");
  images(d.same_used, "Равные занятые секторы"_w, "u");
  body += "<h2>" + u("Близкие копии одного диска"_w) + "</h2>\n<ol>\n";
  for (std::size_t g = 0; g < d.near_copies.size(); ++g) {
    body += "<li id=\"n" + std::to_string(g + 1) + "\">" + u("различных секторов: "_w) +
            std::to_string(d.near_copies[g].differing_sectors) + "<ul>";
    for (std::size_t n : d.near_copies[g].images) body += "<li>" + image_item(index, n) + "</li>";
    body += "</ul></li>\n";
  }
  body += "</ol>\n<h2>" + u("Файлы на нескольких дисках"_w) + "</h2>\n<ol>\n";
  for (const FileGroup& g : d.same_files) {
    body += "<li>SHA-256 " + g.sha256 + ", " + std::to_string(g.bytes) + u(" байт"_w) + "<ul>";
    for (const FileCopy& c : g.copies) {
      const IndexedImage& i = index.images[c.image];
      const IndexedEntry& e = i.entries[c.entry];
      body += "<li>" + image_item(index, c.image) + ": " +
              link(file_page_name(i.number, c.entry, ".html"),
                   html_text((e.catalog.empty() ? "" : e.catalog + "/") + e.name)) +
              "</li>";
    }
    body += "</ul></li>\n";
  }
  return html_page(u("Дубликаты"_w), "", body + "</ol>\n");
}

}  // namespace

std::string html_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string html_text(std::string_view cp1251) {
  std::string text;
  text.reserve(cp1251.size());
  for (std::size_t i = 0; i < cp1251.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(cp1251[i]);
    if (b == '\r' && i + 1 < cp1251.size() && cp1251[i + 1] == '\n') continue;
    text += (b < 0x20 && b != '\n' && b != '\t') || b == 0x7F ? '?' : cp1251[i];
  }
  return html_escape(cp1251_to_utf8(text));
}

std::string html_page(const std::string& title, const std::string& image_path,
                      const std::string& body) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
      "</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
  if (!image_path.empty())
    page +=
        "<h1>" + cp1251_to_utf8("Образ "_w) + "<code>" + html_escape(image_path) + "</code></h1>\n";
  return page + body + "</body>\n</html>\n";
}

std::string image_page_name(std::size_t number) {
  return "image-" + std::to_string(number + 1) + ".html";
}

std::string file_page_name(std::size_t number, std::size_t place, std::string_view suffix) {
  return "image-" + std::to_string(number + 1) + "-" + std::to_string(place + 1) +
         std::string(suffix);
}

bool HtmlCatalogue::prepare() {
  if (folder_.empty() || !is_host_separator(folder_.back())) folder_ += HOST_SEPARATOR;
  if (host_status(folder_).kind == HostKind::directory || make_host_directory(folder_)) return true;
  print_error(std::string("не удалось создать папку "_w) + quoted_host(folder_) + ": " +
              host_error_text(errno));
  return false;
}

bool HtmlCatalogue::write(const std::string& name, std::string_view bytes) {
  // A page of an earlier run is made anew rather than replaced by a synced copy, and pages
  // are not synced one by one: they are this command's own output, and a catalogue of
  // thousands of files would wait for the disk at every one.
  const std::string path = folder_ + name;
  if (host_link_status(path).kind == HostKind::regular) remove_host_file(path);
  return write_host_file(path, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                         FileSync::none);
}

bool HtmlCatalogue::finish(const CollectionIndex& index) {
  bool written = write("index.html", index_page(index));
  written = write("duplicates.html", duplicates_page(index)) && written;
  for (const IndexedImage& i : index.images)
    written =
        write(image_page_name(i.number), html_page(html_escape(i.path), i.path, image_page(i))) &&
        written;
  return written && !failed_;
}

}  // namespace agat
