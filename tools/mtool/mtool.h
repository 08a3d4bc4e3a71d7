// mtool's commands and the helpers they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mtool {

// Each returns the process exit code.
int FlicInfo(const std::string& path);
int FlicChunks(const std::string& path);
int FlicFrames(const std::string& path, const std::string& outPath);
int FlicPng(const std::string& path, const std::string& dir);
int FlicDecode(const std::string& path, int loops);

bool IsWav(const std::string& path);
bool IsStill(const std::string& path);  // BMP, PCX or DCX by extension
int StillInfo(const std::string& path);
int StillChunks(const std::string& path);
int StillFrames(const std::string& path, const std::string& outPath);
int StillPng(const std::string& path, const std::string& dir);
int StillDecode(const std::string& path, int loops);

bool IsAvi(const std::string& path);  // a RIFF "AVI " file
int AviInfo(const std::string& path);
int AviFrames(const std::string& path, const std::string& outPath);
int AviPng(const std::string& path, const std::string& dir);

int WavInfo(const std::string& path);
int WavPlay(const std::string& path);  // 0 also when there is no sound device

int ScriptList(const std::string& path);  // a sprite script, compiled

// An 8-bit picture as PNG: width x height indices and 256 colours blue, green, red, 0.
bool WritePalettePng(const std::string& path, int width, int height, const uint8_t* indices, const uint8_t* bgrx);

// The host the engine runs on for the command (false with a message when it
// cannot start), and its end.
bool StartHost(const std::string& command, std::string* error);
void StopHost();
// True when an error (not a warning) was reported since the start.
bool ErrorReported();
// Prints the engine's warnings about path that the host kept back and
// returns the text of its first error ("" when none, or when the host showed
// them itself).
std::string TakeReports(const std::string& path);

// Why the command fails, said once on standard error as "mtool: FILE: REASON"
// when it ends (the first reason given wins). Both return 1, the exit code.
int Fail(const std::string& reason);  // about the file the command reads
int FailFile(const std::string& path, const std::string& reason);
// Why path cannot be opened for reading, as the system says it.
std::string OpenFailure(const std::string& path);
// Why the last write failed, as the system says it.
std::string WriteFailure();

}  // namespace mtool
