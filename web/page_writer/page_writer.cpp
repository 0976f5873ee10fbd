// Writes the page's generated files into a folder:
//   vostrel_page_writer OUTDIR SHORT_NAME DESCRIPTION
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "web/page_writer/page_files.h"

namespace {

bool Write(const std::filesystem::path& path, const std::string& contents) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << contents;
  file.close();
  if (!file) {
    std::fprintf(stderr, "vostrel_page_writer: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vostrel_page_writer OUTDIR SHORT_NAME DESCRIPTION\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  const vostrel::web::PageIdentity identity{argv[2], argv[3]};
  const bool written = Write(out / "index.html", vostrel::web::PageHtml(identity)) &&
                       Write(out / "vostrel.css", vostrel::web::PageStyle()) &&
                       Write(out / "manifest.webmanifest", vostrel::web::WebManifest(identity)) &&
                       Write(out / "glyphs.txt", vostrel::web::PageGlyphs());
  return written ? 0 : 1;
}
