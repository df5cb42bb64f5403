#include <gtest/gtest.h>

#include <string>

#include "archive/member_text.h"
#include "archivers/core/command_line.h"
#include "engine/source_kind.h"

namespace rivano {
namespace {

// The libraries are ours: each must take the one command the program sends
// it for each of its kinds, with the paths coming through unchanged.
TEST(SourceKinds, EachLibraryAcceptsTheExtractionCommandOfItsKinds) {
  for (const SourceKindRow& row : sourceKindRows()) {
    if (!isArchive(row.kind)) continue;
    const std::wstring wide = extractCommandLine(row.kind, L"C:\\p\\a.x", L"C:\\R\\UnPakTmp", L"photos\\a.JPG");
    const std::string line(wide.begin(), wide.end());  // plain ASCII here
    arc::ExtractCommand command;
    ASSERT_TRUE(arc::parseExtractCommand(libraryOf(row.kind)->prefix, line, command)) << line;
    EXPECT_EQ(command.archive, "C:\\p\\a.x");
    EXPECT_EQ(command.destination, "C:\\R\\UnPakTmp\\");
    EXPECT_EQ(command.member, "photos\\a.JPG");
  }
}

}  // namespace
}  // namespace rivano
