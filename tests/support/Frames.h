// Helpers that build frames and byte strings for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::test {

// A complete KTX Binary frame with a correct checksum.
std::vector<uint8_t> Frame(uint8_t idByte, const std::vector<uint8_t>& payload);
// "01 14 EB" -> bytes.
std::vector<uint8_t> Hex(const std::string& text);
std::vector<uint8_t> Bytes(const std::string& text);
// "$BODY*CS\r\n" with the correct checksum (upper case), or with `lineEnd` instead of CR LF.
std::string Sentence(const std::string& body, const std::string& lineEnd = "\r\n");
// Reads a whole file; empty when it cannot be read.
std::vector<uint8_t> ReadFile(const std::string& path);
// A fresh, empty directory under the system's temporary directory.
std::string TempDir();
std::string TestDataDir();  // ../shared/testdata as the build saw it, "" when absent

}  // namespace orv::test
