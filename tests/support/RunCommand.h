// Runs a command line through the shell and collects its standard output and exit status.
#pragma once

#include <string>

namespace orv::test {

struct CommandResult {
  int status = -1;
  std::string out;
};

CommandResult RunCommand(const std::string& commandLine);
// Single-quotes a word for the shell.
std::string ShellQuote(const std::string& word);

// The published schema files scripts/install-deps unpacks ("Topografix_gpx11.xsd",
// "ogckml22.xsd"): the path, or empty when the file or xmllint is missing.
std::string PublishedSchema(const std::string& file);
// xmllint's complaints when FILE does not validate against SCHEMA; empty when it validates.
std::string SchemaErrors(const std::string& schema, const std::string& file);

}  // namespace orv::test
