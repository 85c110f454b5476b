#include "sheets/zip_pack.h"

#include <array>
#include <cstdint>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include "sheets/sheet_read.h"

namespace vestok {
namespace {

std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (const char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Put16(std::string& out, std::uint32_t v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// The folder of the part a relationship file belongs to: "xl/_rels/workbook.xml.rels" -> "xl/".
std::string SourceFolder(std::string_view relsName) {
  const std::size_t rels = relsName.rfind("_rels/");
  return rels == std::string_view::npos ? std::string() : std::string(relsName.substr(0, rels));
}

bool RelativeTargets(std::string& xml, const std::string& folder) {
  bool changed = false;
  static constexpr std::string_view kTarget = "Target=\"/";
  for (std::size_t pos = xml.find(kTarget); pos != std::string::npos; pos = xml.find(kTarget, pos)) {
    const std::size_t start = pos + kTarget.size() - 1;
    const std::size_t end = xml.find('"', start);
    if (end == std::string::npos) break;
    std::string target = xml.substr(start + 1, end - start - 1);
    if (folder.empty() || target.compare(0, folder.size(), folder) == 0) {
      target.erase(0, folder.size());
    } else {
      std::string up;
      for (char c : folder)
        if (c == '/') up += "../";
      target = up + target;
    }
    xml.replace(start, end - start, target);
    pos = start + target.size();
    changed = true;
  }
  return changed;
}

// Cells with t="inlineStr" become shared-string cells; their strings are
// appended to `shared` as <si> elements, numbered from `next`.
bool SharedInlineStrings(std::string& xml, std::string& shared, std::size_t& next) {
  if (xml.find("t=\"inlineStr\"") == std::string::npos) return false;
  std::string out;
  out.reserve(xml.size());
  std::size_t copied = 0;
  for (std::size_t pos = xml.find("<c "); pos != std::string::npos; pos = xml.find("<c ", pos + 1)) {
    const std::size_t tagEnd = xml.find('>', pos);
    if (tagEnd == std::string::npos) break;
    const std::string_view tag(xml.data() + pos, tagEnd - pos);
    const std::size_t type = tag.find("t=\"inlineStr\"");
    if (type == std::string_view::npos || tag.back() == '/') continue;
    const std::size_t isStart = xml.find("<is>", tagEnd);
    const std::size_t isEnd = isStart == std::string::npos ? isStart : xml.find("</is>", isStart);
    const std::size_t cellEnd = isEnd == std::string::npos ? isEnd : xml.find("</c>", isEnd);
    if (cellEnd == std::string::npos) break;
    shared += "<si>";
    shared.append(xml, isStart + 4, isEnd - isStart - 4);
    shared += "</si>";
    out.append(xml, copied, pos + type - copied);
    out += "t=\"s\"";
    out.append(xml, pos + type + 13, tagEnd + 1 - (pos + type + 13));
    out += "<v>" + std::to_string(next++) + "</v>";
    copied = cellEnd;
    pos = cellEnd;
  }
  out.append(xml, copied, std::string::npos);
  xml = std::move(out);
  return true;
}

std::string* Entry(ZipEntries& entries, std::string_view name) {
  for (auto& [n, bytes] : entries)
    if (n == name) return &bytes;
  return nullptr;
}

std::size_t CountOf(std::string_view text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t pos = text.find(what); pos != std::string_view::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

}  // namespace

ZipEntries ReadZipEntries(const std::string& path) {
  try {
    orcus::zip_archive_stream_fd stream(path.c_str());
    orcus::zip_archive archive(&stream);
    archive.load();
    ZipEntries out;
    std::vector<unsigned char> buf;
    for (std::size_t i = 0; i < archive.get_file_entry_count(); ++i) {
      const std::string name(archive.get_file_entry_name(i));
      buf.clear();
      if (!archive.read_file_entry(name, buf)) throw SheetError("");
      out.emplace_back(name, std::string(buf.begin(), buf.end()));
    }
    return out;
  } catch (const std::exception&) {
    throw SheetError("Fisierul nu este o foaie de calcul .xlsx sau este deteriorat.");
  }
}

std::string StoredZip(const ZipEntries& entries) {
  std::string out;
  std::string central;
  for (const auto& [name, bytes] : entries) {
    const std::uint32_t crc = Crc32(bytes);
    const auto offset = std::uint32_t(out.size());
    auto header = [&](std::string& to, bool isCentral) {
      Put32(to, isCentral ? 0x02014b50 : 0x04034b50);
      if (isCentral) Put16(to, 20);
      Put16(to, 20);  // version needed
      Put16(to, 0);   // flags
      Put16(to, 0);   // stored
      Put16(to, 0);   // time
      Put16(to, 0x21);  // 1980-01-01
      Put32(to, crc);
      Put32(to, std::uint32_t(bytes.size()));
      Put32(to, std::uint32_t(bytes.size()));
      Put16(to, std::uint32_t(name.size()));
      Put16(to, 0);  // extra
      if (isCentral) {
        Put16(to, 0);  // comment
        Put16(to, 0);  // disk
        Put16(to, 0);  // internal attributes
        Put32(to, 0);  // external attributes
        Put32(to, offset);
      }
      to += name;
    };
    header(out, false);
    out += bytes;
    header(central, true);
  }
  const auto centralOffset = std::uint32_t(out.size());
  out += central;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, std::uint32_t(entries.size()));
  Put16(out, std::uint32_t(entries.size()));
  Put32(out, std::uint32_t(central.size()));
  Put32(out, centralOffset);
  Put16(out, 0);
  return out;
}

bool NormalizeXlsx(ZipEntries& entries) {
  bool changed = false;
  for (auto& [name, bytes] : entries)
    if (EndsWith(name, ".rels") && RelativeTargets(bytes, SourceFolder(name))) changed = true;

  if (std::string* wb = Entry(entries, "xl/workbook.xml")) {
    const std::size_t root = wb->find("<workbook");
    const std::size_t rootEnd = root == std::string::npos ? root : wb->find('>', root);
    static constexpr std::string_view kRel = "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    if (rootEnd != std::string::npos && wb->find(kRel) != std::string::npos &&
        std::string_view(*wb).substr(root, rootEnd - root).find("xmlns:r=") == std::string_view::npos) {
      wb->insert(root + 9, " " + std::string(kRel));
      changed = true;
    }
  }

  std::string* sst = Entry(entries, "xl/sharedStrings.xml");
  std::size_t next = sst == nullptr ? 0 : CountOf(*sst, "<si>") + CountOf(*sst, "<si ");
  std::string added;
  for (auto& [name, bytes] : entries)
    if (name.rfind("xl/worksheets/", 0) == 0 && EndsWith(name, ".xml") && SharedInlineStrings(bytes, added, next))
      changed = true;
  if (!added.empty()) {
    if (sst != nullptr) {
      const std::size_t end = sst->rfind("</sst>");
      if (end == std::string::npos) throw SheetError("Foaia de calcul este deteriorata.");
      sst->insert(end, added);
    } else {
      std::string* rels = Entry(entries, "xl/_rels/workbook.xml.rels");
      std::string* types = Entry(entries, "[Content_Types].xml");
      const std::size_t relsEnd = rels == nullptr ? std::string::npos : rels->rfind("</Relationships>");
      const std::size_t typesEnd = types == nullptr ? std::string::npos : types->rfind("</Types>");
      if (relsEnd == std::string::npos || typesEnd == std::string::npos)
        throw SheetError("Foaia de calcul este deteriorata.");
      rels->insert(relsEnd,
                   "<Relationship Id=\"rIdVestokStrings\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                   "2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>");
      types->insert(typesEnd,
                    "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
                    "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>");
      entries.emplace_back("xl/sharedStrings.xml",
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"http://schemas.openxmlformats.org/"
                           "spreadsheetml/2006/main\">" +
                               added + "</sst>");
    }
  }
  return changed;
}

}  // namespace vestok
