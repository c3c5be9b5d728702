#pragma once

// Shared by the XML, string table and settings tests: fixture files, and a
// temporary folder that also receives the log.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/TempFolder.h"

inline std::string ReadFixture(const std::string& relative)
{
    std::ifstream in(std::string(QUILLORY_TEST_DATA) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The asset name of a fixture file, opened by path.
inline std::string FixtureAsset(const std::string& relative)
{
    return "::" + std::string(QUILLORY_TEST_DATA) + "/" + relative;
}
