// Where the settings file lives, which file a write of it replaces, and the
// leftovers of writers that died half way.
#pragma once

#include <string>

namespace plat {

// The settings directory: the configured one, else
// $XDG_CONFIG_HOME/<program>, else <home>/.config/<program> with the home
// from $HOME or, where that is unset or relative, from the password
// database. "" when there is no home at all. Relative paths are ignored.
std::string ChooseConfigDirectory(const std::string& configured, const std::string& program,
                                  const char* xdgConfigHome, const char* home, const char* passwordHome);
// The same for the running program.
std::string ConfigDirectory();

// The file a write replaces: path itself, or the end of the chain of symbolic
// links at path, so that a linked settings file stays linked. "" when the
// links go round in a loop.
std::string WriteTarget(const std::string& path);

// The directory part of path ("." for a bare name).
std::string DirectoryOf(const std::string& path);

// "<target>.tmp-<pid>": where a write is made before it replaces target.
std::string TemporaryFor(const std::string& target);
// Removes every "<target>.tmp-<digits>". Call it only with the settings lock
// held: a writer keeps its temporary file only while it holds the lock, so
// any there is then is the leftover of a writer that was killed.
void RemoveStaleTemporaries(const std::string& target);

}  // namespace plat
