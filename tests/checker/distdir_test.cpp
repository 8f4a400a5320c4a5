/* Names in the distribution directory, looked up as Windows looks them up. */
#include <gtest/gtest.h>

#include <string>

#include "support.h"
#include "tools/checker/distdir.h"

namespace {

TEST(CheckerHelpers, WindowsNamesInTheDistribution)
{
    Distribution d;
    d.MakeDirectory("Docs");
    d.Write("Docs/Lisez.txt", "12345");
    EXPECT_EQ(DistKind::File, DistLookup(d.Path(""), "docs\\LISEZ.TXT").kind);
    EXPECT_EQ("Docs\\Lisez.txt", DistLookup(d.Path(""), "docs/LISEZ.TXT").name);
    EXPECT_EQ(5, DistLookup(d.Path(""), "Docs.\\..\\Docs\\\\Lisez.txt. .").size);
    EXPECT_EQ(DistKind::Directory, DistLookup(d.Path(""), "DOCS").kind);
    EXPECT_EQ(DistKind::Directory, DistLookup(d.Path(""), "").kind);
    EXPECT_EQ(DistKind::Missing, DistLookup(d.Path(""), "Docs\\ Lisez.txt").kind);
    EXPECT_EQ(DistKind::Missing, DistLookup(d.Path(""), "Docs \\Lisez.txt").kind)
        << "a blank ends no directory's name";
    EXPECT_EQ(DistKind::Missing, DistLookup(d.Path(""), "Lisez.txt").kind);
}

} // namespace
