// Build-time generator of the programs' pictures: png-gen <output folder>.
// Writes <id>.png for every picture of Vantoril, its icon 101.ico and the scanning animation
// 127.gif, Ousteln's pictures and icon into the subfolder "ousteln", and a stamp file last.
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "canvas.h"
#include "ico_writer.h"
#include "pictures.h"
#include "scan_animation.h"
#include "png_writer.h"

namespace {

// Written under a temporary name, then moved over the final one.
bool write_file(const std::string& path, const std::string& bytes) {
  std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "png-gen: cannot write %s\n", tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "png-gen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool write_pictures(const std::vector<picture>& list, const std::string& folder) {
  for (const picture& p : list) {
    canvas c = draw_picture(p);
    if (!write_file(folder + "/" + std::to_string(p.id) + ".png",
                    encode_png(p.width, p.height, c.px, p.alpha)))
      return false;
  }
  return true;
}

bool write_icon(const std::string& path, void (*paint)(canvas&)) {
  std::vector<icon_image> images;
  for (int size : {16, 32, 48}) {
    canvas c(size, size);
    paint(c);
    images.push_back({size, c.px});
  }
  return write_file(path, encode_ico(images));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: png-gen <output folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  std::string offer_folder = folder + "/ousteln";
  mkdir(offer_folder.c_str(), 0777);  // may exist already
  if (!write_pictures(all_pictures(), folder) || !write_pictures(offer_pictures(), offer_folder) ||
      !write_icon(offer_folder + "/132.ico", paint_offer_icon) ||
      !write_icon(folder + "/101.ico", paint_program_icon) ||
      !write_file(folder + "/127.gif", scan_animation_gif()))
    return 1;
  std::ofstream(folder + "/stamp") << all_pictures().size() + offer_pictures().size() + 3 << "\n";
  return 0;
}
