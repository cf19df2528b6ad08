// Build-time generator of the program's PNG resources: png-gen <output folder>.
// Writes <id>.png for every picture and a stamp file last.
#include <cstdio>
#include <fstream>
#include <string>

#include "canvas.h"
#include "pictures.h"
#include "png_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: png-gen <output folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  for (const picture& p : all_pictures()) {
    canvas c(p.width, p.height);
    int frame_width = p.width / p.frames;
    for (int f = 0; f < p.frames; ++f) p.paint(c, p.id, f, f * frame_width, frame_width, p.height);
    if (!p.alpha)  // opaque pictures: no see-through pixel may remain
      for (size_t i = 3; i < c.px.size(); i += 4) c.px[i] = 255;
    std::string path = folder + "/" + std::to_string(p.id) + ".png";
    std::string tmp = path + ".tmp";
    {
      std::ofstream out(tmp, std::ios::binary);
      std::string bytes = encode_png(p.width, p.height, c.px, p.alpha);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      if (!out) {
        std::fprintf(stderr, "png-gen: cannot write %s\n", tmp.c_str());
        return 1;
      }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
      std::fprintf(stderr, "png-gen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  std::ofstream(folder + "/stamp") << all_pictures().size() << "\n";
  return 0;
}
