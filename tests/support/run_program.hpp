// Runs one of the suite's programs as a user would, through the shell, and collects what it
// printed and its exit code.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace OrvantaTest {

struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

// The program with the arguments (each quoted for the shell), its output in files of dir.
// `before` runs in the same shell first (a limit, say); `output` replaces where standard output
// goes (e.g. "/dev/full", or ">&-" to close it).
inline Outcome runProgram(const std::string& program, const std::filesystem::path& dir,
                          const std::vector<std::string>& args, const std::string& before = "",
                          const std::string& output = "") {
  std::string command = before.empty() ? "" : before + "; ";
  command += "'" + program + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  const std::string out = (dir / "out.txt").string();
  std::filesystem::remove(out);
  command += output == ">&-" ? " >&-" : " >'" + (output.empty() ? out : output) + "'";
  command += " 2>'" + (dir / "err.txt").string() + "'";
  const int status = std::system(command.c_str());
  Outcome outcome;
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = readFile(out);
  outcome.err = readFile(dir / "err.txt");
  return outcome;
}

// A CSV row's fields, an empty last one included.
inline std::vector<std::string> fieldsOf(const std::string& row) {
  std::vector<std::string> fields;
  std::istringstream in(row);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  if (!row.empty() && row.back() == ',') fields.emplace_back();
  return fields;
}

// The pose table read from path without its latency column (the 14th): what two runs of the same
// pictures share.
inline std::string posesWithoutLatency(const std::filesystem::path& path) {
  std::string out;
  for (const std::string& row : lines(readFile(path))) {
    std::vector<std::string> fields = fieldsOf(row);
    if (fields.size() > 13) fields.erase(fields.begin() + 13);
    for (const std::string& field : fields) out += field + ',';
    out += '\n';
  }
  return out;
}

}  // namespace OrvantaTest
