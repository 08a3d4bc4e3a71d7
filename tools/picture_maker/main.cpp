// picture_maker: turns the SVG drawings of resources/art into the saver's FLC pictures, which
// share one colour table, and into its icons.
//   picture_maker <art dir> <pictures dir> <icons dir> [<preview dir>]
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "flc_writer.h"
#include "ico_writer.h"
#include "palette_layout.h"
#include "png_preview.h"
#include "quantise.h"
#include "raster.h"

namespace {

using namespace picture_maker;

struct PictureSpec {
  const char* name;
  int width;
  int height;
};

// The scene's two pictures and the settings dialog's thumbnails of them.
constexpr PictureSpec kPictures[] = {
    {"balloon", 226, 275}, {"airship", 326, 150}, {"balloon-thumb", 90, 90}, {"airship-thumb", 90, 90}};

struct IconSpec {
  const char* name;
  int sizes[2];
};

constexpr IconSpec kIcons[] = {{"saver", {32, 16}}, {"about", {32, 16}}};

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "picture_maker: %s\n", message.c_str());
  return 1;
}

int MakePictures(const std::string& artDir, const std::string& picturesDir, const std::string& previewDir) {
  std::vector<RgbaImage> rendered;
  std::string error;
  for (const PictureSpec& spec : kPictures) {
    auto image = RasteriseOverBlack(artDir + "/" + spec.name + ".svg", spec.width, spec.height, error);
    if (!image) return Fail(error);
    // The engine takes the top-left pixel as the transparent colour.
    if (!image->IsBackground(0, 0)) return Fail(std::string(spec.name) + ": the top-left pixel must be background");
    rendered.push_back(std::move(*image));
  }
  auto set = QuantiseTogether(rendered, kSubjectColourCount, error);
  if (!set) return Fail(error);
  ColourTable colours = StageColourTable(set->colours);
  std::vector<IndexedPicture> pictures;
  for (size_t i = 0; i < set->pictures.size(); ++i) {
    pictures.push_back(PlaceIndices(set->pictures[i]));
    std::string path = picturesDir + "/" + kPictures[i].name + ".flc";
    if (!WriteFile(path, WriteStillFlc(pictures.back(), colours))) return Fail("cannot write " + path);
    if (!previewDir.empty()) WriteIndexedPng(previewDir + "/" + kPictures[i].name + ".png", pictures.back(), colours);
  }
  std::printf("pictures: %zu colours shared by %zu pictures\n", set->colours.size(), pictures.size());
  if (!previewDir.empty()) {
    WriteSheetPng(previewDir + "/sheet-black.png", pictures, colours, {0, 0, 0});
    WriteSheetPng(previewDir + "/sheet-grey.png", pictures, colours, {192, 192, 192});
  }
  return 0;
}

int MakeIcons(const std::string& artDir, const std::string& iconsDir, const std::string& previewDir) {
  std::string error;
  for (const IconSpec& spec : kIcons) {
    std::vector<IconImage> images;
    for (int size : spec.sizes) {
      std::string stem = std::string(spec.name) + "-" + std::to_string(size);
      auto image = RasteriseOverBlack(artDir + "/icons/" + stem + ".svg", size, size, error);
      if (!image) return Fail(error);
      auto set = QuantiseTogether({*image}, kSubjectColourCount, error);
      if (!set) return Fail(error);
      IconImage icon{PlaceIndices(set->pictures[0]), StageColourTable(set->colours), {}};
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) icon.transparent.push_back(image->IsBackground(x, y));
      }
      if (!previewDir.empty()) {
        WriteSheetPng(previewDir + "/icon-" + stem + ".png", {icon.picture}, icon.colours, {0, 128, 128});
      }
      images.push_back(std::move(icon));
    }
    std::string path = iconsDir + "/" + spec.name + ".ico";
    if (!WriteFile(path, WriteIcon(images))) return Fail("cannot write " + path);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: picture_maker <art dir> <pictures dir> <icons dir> [<preview dir>]\n");
    return 2;
  }
  std::string previewDir = argc == 5 ? argv[4] : "";
  if (int status = MakePictures(argv[1], argv[2], previewDir)) return status;
  return MakeIcons(argv[1], argv[3], previewDir);
}
