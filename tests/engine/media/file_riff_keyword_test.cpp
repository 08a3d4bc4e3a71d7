// mFile: RIFF chunk navigation and the keyword-line reader.
#include <gtest/gtest.h>

#include <cstring>

#include "byte_order/byte_sink.h"
#include "engine/media/avi_test_writer.h"
#include "engine/media/media_test_util.h"
#include "media/file.h"
#include "support/host_fixture.h"

using mediatest::TakeReports;
using mediatest::TempFile;

namespace {

class RiffTest : public testsupport::HeadlessTest {};
class KeywordTest : public testsupport::HeadlessTest {};

using avitest::Chunk;

std::vector<uint8_t> Container(const char* id, const char* type, const std::vector<uint8_t>& body) {
  ByteSink data;
  data.Code(type);
  data.Bytes(body);
  return Chunk(id, data.Take());
}
std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST_F(RiffTest, FindsChunksInsideNestedListsAndAscends) {
  std::vector<uint8_t> file =
      Join({Container("RIFF", "PAL ", Join({Chunk("fmt ", {1, 2, 3}), Container("LIST", "info", Chunk("name", {'x'})),
                                            Chunk("data", {9, 8, 7, 6})})),
            Chunk("tail", {})});
  mFile f;
  f.OpenMemory(file.data(), static_cast<int32_t>(file.size()));
  EXPECT_FALSE(f.RiffDescend(FourCC("WAVE")));
  f.Seek(0, 0);
  ASSERT_TRUE(f.RiffDescend(FourCC("PAL ")));
  ASSERT_TRUE(f.ListDescend(FourCC("info")));
  EXPECT_EQ(f.chunkDepth, 1);
  ASSERT_TRUE(f.FindChunk(FourCC("name")));
  EXPECT_EQ(f.lastChunkSize, 1u);
  EXPECT_EQ(f.GetFileState()->readPtr[0], 'x');
  f.ChunkAscend();
  EXPECT_EQ(f.chunkDepth, 0);
  ASSERT_TRUE(f.FindChunk(FourCC("data")));
  EXPECT_EQ(f.lastChunkSize, 4u);
  EXPECT_EQ(f.GetFileState()->readPtr[0], 9);
  EXPECT_EQ(f.ChunkSkip(), static_cast<int32_t>(f.lastChunkEnd));
  f.Close();
}

TEST_F(RiffTest, MissingChunkStopsAtTheContainersEnd) {
  std::vector<uint8_t> riff = Container("RIFF", "PAL ", Chunk("fmt ", {1, 2}));
  std::vector<uint8_t> file = Join({riff, Chunk("junk", {1, 2, 3, 4})});
  mFile f;
  f.OpenMemory(file.data(), static_cast<int32_t>(file.size()));
  ASSERT_TRUE(f.RiffDescend(FourCC("PAL ")));
  EXPECT_FALSE(f.FindChunk(FourCC("data")));
  EXPECT_EQ(f.Tell(), static_cast<int32_t>(riff.size()));
  // The header right after the container is still looked at.
  f.Seek(12, 0);
  EXPECT_TRUE(f.FindChunk(FourCC("junk")));
  f.Close();
}

TEST_F(RiffTest, MalformedSizesNeitherLoopNorLeaveTheData) {
  // A zero-sized chunk still moves on; a size past the end stops the search.
  std::vector<uint8_t> file = Container("RIFF", "PAL ", Join({Chunk("zero", {}), Chunk("big ", {1, 2})}));
  file[file.size() - 6] = 0xFF;  // size of "big " now far past the end
  mFile f;
  f.OpenMemory(file.data(), static_cast<int32_t>(file.size()));
  ASSERT_TRUE(f.RiffDescend(FourCC("PAL ")));
  EXPECT_FALSE(f.FindChunk(FourCC("none")));
  f.Close();
  TakeReports();
}

TEST_F(RiffTest, NoMoreThanTenContainersOpenAtOnce) {
  std::vector<uint8_t> body = Chunk("leaf", {1});
  for (int i = 0; i < 12; ++i) body = Container("LIST", "deep", body);
  std::vector<uint8_t> file = Container("RIFF", "TEST", body);
  mFile f;
  f.OpenMemory(file.data(), static_cast<int32_t>(file.size()));
  ASSERT_TRUE(f.RiffDescend(FourCC("TEST")));
  int entered = 0;
  while (f.ListDescend(FourCC("deep"))) ++entered;
  EXPECT_EQ(entered, mFile::kMaxContainers - 1);
  EXPECT_EQ(f.chunkDepth, mFile::kMaxContainers - 1);
  f.Close();
}

const char* const kWords[] = {"SPEED", "IF", "IFNOT", "FRAME", ":", ""};

struct Found {
  int index;
  std::string argument;
};

std::vector<Found> ReadAll(mFile& f) {
  std::vector<Found> out;
  for (int guard = 0; guard < 10000; ++guard) {
    int k = f.ReadKeyword(kWords);
    if (k < 0) break;
    out.push_back({k, reinterpret_cast<const char*>(f.GetFileState()->readPtr)});
  }
  return out;
}

std::string Describe(const std::vector<Found>& found) {
  std::string out;
  for (const auto& f : found) out += std::to_string(f.index) + "[" + f.argument + "] ";
  return out;
}

TEST_F(KeywordTest, MatchingRules) {
  const std::string text =
      "SPEED=5\r\n"
      "speed \t=  7\n"
      "SPEEDY 5\n"
      "// FRAME 3\n"
      "  FRAME 3 // note\n"
      "IFNOT 2\n"
      "IF\n"
      ":start\n";
  mFile f;
  f.OpenMemory(text.data(), static_cast<int32_t>(text.size()));
  // An argument word that is itself a keyword comes back as the next keyword ("5" is not one).
  EXPECT_EQ(Describe(ReadAll(f)), "0[5] 0[7] 3[3 // note] 2[2] 1[] 4[start] ");
  f.Close();
}

TEST_F(KeywordTest, EmptyTextEndsAtOnceAndTheBlockIsNeverWritten) {
  mFile f;
  f.OpenMemory("", 0);
  EXPECT_EQ(f.ReadKeyword(kWords), -1);
  f.Close();
  // No block at all reads as an empty one.
  mFile none;
  none.OpenMemory(nullptr, 0);
  EXPECT_EQ(none.ReadKeyword(kWords), -1);
  EXPECT_EQ(none.Read(nullptr, 0), 0);
  none.Close();
  // The text lives in read-only memory: marking up the argument must not touch it.
  static const char kReadOnly[] = "FRAME 12\nFRAME 13";
  mFile g;
  g.OpenMemory(kReadOnly, static_cast<int32_t>(sizeof kReadOnly - 1));
  EXPECT_EQ(Describe(ReadAll(g)), "3[12] 3[13] ");
  g.Close();
}

TEST_F(KeywordTest, LongArgumentIsCutAt80AndDiskFilesReadAcrossBlocks) {
  std::string text;
  for (int i = 0; i < 600; ++i) text += "FRAME " + std::to_string(i) + "\n";
  text += "FRAME " + std::string(100, 'a') + "\n";
  TempFile file(text);
  mFile f;
  ASSERT_TRUE(f.Open(file.Path(), 0));
  std::vector<Found> found = ReadAll(f);
  ASSERT_EQ(found.size(), 601u);
  for (int i = 0; i < 600; ++i) ASSERT_EQ(found[i].argument, std::to_string(i));
  EXPECT_EQ(found[600].argument, std::string(80, 'a'));
  f.Close();
  EXPECT_TRUE(TakeReports().empty());
}

}  // namespace
