// Loading the group table from a settings file: numbering, where reading
// stops, cutting, names and the fallback name.
#include "groups/group_catalog.h"
#include "settings/profile_section.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>

namespace {

struct Probe {
    const char* extension;
    std::int32_t number;
    std::string name;
};

struct LoadCase {
    const char* name;
    // Null-free settings text; "<missing>" writes no file, and text after
    // "<huge>" is written in a file grown past the largest one read.
    std::string file;
    std::uint64_t countWithFallback;
    std::vector<Probe> probes;
};

const std::string kExample = "[Groups]\n0=txt|log|ini\n0_name=Text\n1=jpg|png|GIF\n"
                             "1_name=Images\n3=zip\n3_name=Archives\n"
                             "[Configuration]\nUnknownGroupPlaceHolder=Other\n";

const LoadCase kLoadCases[] = {
    {"Example",
     kExample,
     3,
     {{"gif", 1, "Images"}, {"TXT", 0, "Text"}, {"exe", 2, "Other"}, {"zip", 2, "Other"}}},
    {"MissingFile", "<missing>", 1, {{"txt", 0, "Unknown"}}},
    {"EmptyFile", "", 1, {{"txt", 0, "Unknown"}}},
    // Not read at all, its watch key included: the defaults are not watched.
    {"FileTooLargeGivesTheDefaults",
     "<huge>[Configuration]\nReloadWhenChanged=1\n" + kExample,
     1,
     {{"gif", 0, "Unknown"}}},
    {"EmptyFallbackNameIsKept",
     "[Groups]\n0=txt\n[Configuration]\nUnknownGroupPlaceHolder=\n",
     2,
     {{"exe", 1, ""}}},
    {"EmptyListEndsTheTable",
     "[Groups]\n0=a\n1=b\n2=\n3=d\n",
     3,
     {{"b", 1, ""}, {"d", 2, "Unknown"}}},
    {"NameWithoutListIsNeverRead", "[Groups]\n0_name=Orphan\n1=txt\n", 1, {{"txt", 0, "Unknown"}}},
    {"MissingNameIsEmpty", "[Groups]\n0=txt\n", 2, {{"txt", 0, ""}}},
    {"LeadingEmptyPieceCatchesFilesWithoutExtension",
     "[Groups]\n0=|txt\n0_name=Plain\n",
     2,
     {{"", 0, "Plain"}, {"txt", 0, "Plain"}}},
    {"TrailingSeparatorCatchesNothingMore",
     "[Groups]\n0=txt|\n",
     2,
     {{"", 1, "Unknown"}, {"txt", 0, ""}}},
    {"DottedExtensionNeverMatches", "[Groups]\n0=.txt\n", 2, {{"txt", 1, "Unknown"}}},
    {"EarlierGroupWinsADuplicate",
     "[Groups]\n0=md\n0_name=Docs\n1=md|rst\n1_name=Markup\n",
     3,
     {{"md", 0, "Docs"}, {"rst", 1, "Markup"}}},
    // Keys in any order; a number far past the table is never reached.
    {"NumbersOutOfOrderAndFarAhead",
     "[Groups]\n2147483647=big\n1=b\n1_name=B\n5000=far\n0=a\n",
     3,
     {{"a", 0, ""}, {"b", 1, "B"}, {"big", 2, "Unknown"}, {"far", 2, "Unknown"}}},
    {"KeysWithLeadingZeroAreNotRead", "[Groups]\n00=txt\n", 1, {{"txt", 0, "Unknown"}}},
    // No read of "1_masks" finds "1_masks_name".
    {"KeyWithTwoSuffixesNamesNothing",
     "[Groups]\n0=gz\n1_masks_name=*.x\n",
     2,
     {{"gz", 0, ""}, {"x", 1, "Unknown"}}},
    {"KeysAnyCaseFirstOfANameWins",
     "[groups]\n0=txt\n0=doc\n0_NAME=First\n0_name=Second\n[Groups]\n1=md\n",
     2,
     {{"txt", 0, "First"}, {"doc", 1, "Unknown"}, {"md", 1, "Unknown"}}},
    {"QuotedValuesLoseTheirQuotes",
     "[Groups]\n0=\"txt|md\"\n0_name='Text files'\n",
     2,
     {{"md", 0, "Text files"}}},
    // A read of "0" finds the first line of that name, which has no value.
    {"ValuelessKeyHidesALaterOne", "[Groups]\n0\n0=txt\n", 1, {{"txt", 0, "Unknown"}}},
    // Masks are read with the lists; a group with masks alone is present.
    {"GroupWithMasksAlone",
     "[Groups]\n0=gz\n1_MASKS=*.tar.*\n1_name=Archives\n2=md\n",
     4,
     {{"gz", 0, ""}, {"md", 2, ""}}},
    // A kind too long for one value continues in N_more, N_more2, ... of its
    // group: K in any order and with gaps, each key cut on its own.
    {"ContinuationsJoinTheirGroup",
     "[Groups]\n0=txt\n0_name=Text\n0_more3=md\n1=jpg\n1_name=Images\n1_MORE2=png\n"
     "0_more=" +
         std::string(252, 'c') + "|log|rsx\n",
     3,
     {{"log", 0, "Text"},
      {"md", 0, "Text"},
      {"png", 1, "Images"},
      {"rs", 0, "Text"},
      {"rsx", 2, "Unknown"}}},
    {"ContinuationMakesNoGroup",
     "[Groups]\n1_more=log\n0=txt\n1_name=Logs\n0_more=rst\n2=md\n",
     2,
     {{"log", 1, "Unknown"}, {"md", 1, "Unknown"}, {"rst", 0, ""}}},
    {"ContinuationOfAGroupWithMasksAlone",
     "[Groups]\n0=\n0_masks=*.x\n0_more=log\n",
     2,
     {{"log", 0, ""}}},
    {"FirstLineOfAContinuationWins",
     "[Groups]\n0=txt\n0_MORE=log\n0_more=md\n0_more2=rst\n0_more2=tex\n",
     2,
     {{"log", 0, ""}, {"md", 1, "Unknown"}, {"rst", 0, ""}, {"tex", 1, "Unknown"}}},
    // K from 2 on, written as group numbers are.
    {"ContinuationNumbersAsGroupNumbers",
     "[Groups]\n0=txt\n0_more1=a\n0_more02=b\n0_more0=c\n0_more2147483647=z\n"
     "0_more2147483648=y\n0_more70000=w\n",
     2,
     {{"a", 1, "Unknown"},
      {"b", 1, "Unknown"},
      {"c", 1, "Unknown"},
      {"z", 0, ""},
      {"y", 1, "Unknown"},
      {"w", 0, ""}}},
    // The pieces of each key, as the key alone has them: an empty last
    // piece counts before a '|' only.
    {"ContinuedListsKeepTheirPieces",
     "[Groups]\n0=txt|\n0_more=log\n1=md\n1_more=rst||\n",
     3,
     {{"", 1, ""}, {"txt", 0, ""}, {"log", 0, ""}, {"rst", 1, ""}}},
    {"ListOf300BytesIsCutAt259",
     "[Groups]\n0=" + std::string(255, 'a') + "|bcdefgh\n",
     2,
     {{"bcd", 0, ""}, {"bcdefgh", 1, "Unknown"}}},
};

class LoadGroupsTest : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadGroupsTest, TableAsLoaded) {
    const LoadCase& c = GetParam();
    ScratchFolder folder;
    const bool huge = c.file.compare(0, 6, "<huge>") == 0;
    std::string path = c.file == "<missing>"
                           ? folder.Path("Lumbrasket.ini")
                           : folder.Write("Lumbrasket.ini", huge ? c.file.substr(6) : c.file);
    if (huge) // sparse where the file system can
        std::filesystem::resize_file(path, ProfileSection::kLargestFile + 1);
    GroupCatalog catalog;
    catalog.LoadGroups(path);
    EXPECT_TRUE(catalog.IsLoaded());
    if (huge) {
        EXPECT_FALSE(catalog.ReloadsWhenChanged());
    }
    EXPECT_EQ(c.countWithFallback, catalog.GroupCountWithFallback());
    for (const Probe& probe : c.probes) {
        SCOPED_TRACE(testing::Message() << "extension '" << probe.extension << "'");
        const GroupMatch& match = catalog.FindGroup(probe.extension);
        EXPECT_EQ(probe.number, match.number);
        EXPECT_EQ(probe.name, match.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadGroupsTest, testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoadGroupsTest, MasksAsLoaded) {
    ScratchFolder folder;
    GroupCatalog catalog;
    catalog.LoadGroups(folder.Write("Lumbrasket.ini",
                                    "[Groups]\n0=gz\n0_masks=\n1=\n1_masks=\"*.tar.*|Makefile\"\n"
                                    "2_masks=" +
                                        std::string(255, 'm') +
                                        "|README*\n3=c\n3_masks_more2=b*\n3_MASKS_MORE=a*\n"
                                        "3_masks=x*\n"));
    ASSERT_EQ(4u, catalog.Groups().size());
    EXPECT_TRUE(catalog.Groups()[0].masks.empty());
    EXPECT_EQ((std::vector<std::string>{"*.tar.*", "Makefile"}), catalog.Groups()[1].masks.Texts());
    // The list is cut at 259 bytes as an extension list is.
    EXPECT_EQ((std::vector<std::string>{std::string(255, 'm'), "REA"}),
              catalog.Groups()[2].masks.Texts());
    // Continued masks follow the group's own in the order of K.
    EXPECT_EQ((std::vector<std::string>{"x*", "a*", "b*"}), catalog.Groups()[3].masks.Texts());
}

TEST(LoadGroupsTest, NameOf300BytesIsCutAt259) {
    ScratchFolder folder;
    GroupCatalog catalog;
    catalog.LoadGroups(
        folder.Write("Lumbrasket.ini", "[Groups]\n0=txt\n0_name=" + std::string(300, 'n') + "\n"));
    EXPECT_EQ(std::string(259, 'n'), catalog.FindGroup("txt").name);
}

} // namespace
