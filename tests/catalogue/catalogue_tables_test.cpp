#include "catalogue/catalogue_lookup.h"
#include "catalogue/value_lists.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::uint32_t> Ids(const std::vector<std::size_t>& rows)
{
    std::vector<std::uint32_t> ids;
    for (std::size_t row : rows)
        ids.push_back(g_VariableTable[row].id);
    return ids;
}

std::size_t ListLength(const ValueEntry* list)
{
    std::size_t n = 0;
    while (list[n].text != nullptr)
        ++n;
    return n;
}

} // namespace

TEST(CatalogueTables, ShapeOfTheTables)
{
    EXPECT_EQ(g_MessageTypeNames.size(), 16u);
    EXPECT_EQ(g_ModelTable.size(), 14u);
    EXPECT_EQ(g_VariableTable.size(), 91u);
    EXPECT_STREQ(g_ModelTable[0].name, "Arvane");
    EXPECT_EQ(g_ModelTable[0].typeMask, 0xFFFFFFFFu);
    EXPECT_STREQ(g_ModelTable[13].name, "Orlin Birch");
    EXPECT_STREQ(g_VariableTable[0].name, "Device ID");
    EXPECT_STREQ(g_VariableTable[90].name, "DAB Service");

    std::set<std::uint32_t> ids;
    for (const VariableEntry& v : g_VariableTable) {
        EXPECT_TRUE(ids.insert(v.id & 0xFF).second) << v.id;
        EXPECT_FALSE(v.values != nullptr && v.formatter != nullptr) << v.name;
    }
}

TEST(CatalogueTables, MessageTypeNamesPerDirection)
{
    EXPECT_STREQ(CommandTypeName(20), "Query");
    EXPECT_STREQ(CommandTypeName(26), "Store Tuner Preset");
    EXPECT_STREQ(ResponseTypeName(20), "Value");
    EXPECT_STREQ(ResponseTypeName(28), "RDS RT");
    for (int unnamed : {21, 22, 24})
        EXPECT_EQ(ResponseTypeName(unnamed), nullptr) << unnamed;
    for (int outside : {0, 19, 27, 255})
        EXPECT_EQ(CommandTypeName(outside), nullptr) << outside;
    EXPECT_EQ(ResponseTypeName(19), nullptr);
    EXPECT_EQ(ResponseTypeName(29), nullptr);
}

TEST(CatalogueTables, ValueListsReadAsWritten)
{
    EXPECT_STREQ(LookupValueName(OffOnValues, 1), "On");
    EXPECT_STREQ(LookupValueName(DownmixValues, 2), "off");
    EXPECT_STREQ(LookupValueName(PlayModeValues, 44), "Slow Backward 5");
    EXPECT_STREQ(LookupValueName(PlayModeValues, 5), "<invalid>"); // the gap between 2 and 10
    EXPECT_STREQ(LookupValueName(OffOnValues, 2), "<invalid>");
    EXPECT_STREQ(LookupValueName(nullptr, 0), "<invalid>");
    EXPECT_EQ(ListLength(PlayModeValues), 25u);
    EXPECT_EQ(ListLength(ThxModeValues), 5u);
    EXPECT_STREQ(VideoOutputValues[2].text, "HDMI off and VGA on");
}

TEST(CatalogueTables, FindVariableById)
{
    EXPECT_EQ(FindVariable(20), 0u);
    EXPECT_EQ(FindVariable(201), 90u);
    EXPECT_EQ(FindVariable(103), 61u); // the picture "Brightness", not the display one
    for (int absent : {0, 19, 25, 26, 30, 50, 51, 63, 66, 79, 98, 99, 119, 149, 157, 179, 185, 199, 202, 255})
        EXPECT_EQ(FindVariable(static_cast<std::uint8_t>(absent)), kVariableNotFound) << absent;
    EXPECT_EQ(FindVariableEntry(63), nullptr);
    EXPECT_EQ(ValueChoices(24), OffOnValues);
    EXPECT_EQ(ValueChoices(23), nullptr); // a formatter, no list
    EXPECT_EQ(ValueChoices(63), nullptr);
}

TEST(CatalogueTables, AccessorsAnswerOutOfRangeWithNothing)
{
    EXPECT_STREQ(ModelName(-1), "");
    EXPECT_STREQ(ModelName(14), "");
    EXPECT_EQ(ModelTypeMask(14), 0u);
    EXPECT_EQ(VariableModelMask(91), 0u);
    EXPECT_EQ(VariableAccess(91), 0u);
    EXPECT_FALSE(IsQueryOnly(91));
    EXPECT_TRUE(BitTest(31, 0x80000000u));
    EXPECT_FALSE(BitTest(32, 0xFFFFFFFFu));
    EXPECT_FALSE(BitTest(-1, 0xFFFFFFFFu));
    EXPECT_TRUE(OfferedMessageTypes(-1).empty());
    EXPECT_TRUE(OfferedVariables(14, 20).empty());
}

TEST(CatalogueOffers, MessageTypesFollowTheModelMask)
{
    EXPECT_EQ(OfferedMessageTypes(0), (std::vector<int>{20, 21, 22, 23, 24, 25, 26}));
    EXPECT_EQ(OfferedMessageTypes(1), (std::vector<int>{20, 21, 22, 23, 25}));
    EXPECT_EQ(OfferedMessageTypes(2), (std::vector<int>{20, 21, 22, 23, 24}));
    EXPECT_EQ(OfferedMessageTypes(4), (std::vector<int>{20, 21, 22, 23}));
}

TEST(CatalogueOffers, VariablesForQueryAndSet)
{
    const std::vector<std::uint32_t> elmoraSet = {21, 22, 42, 80, 81, 83, 84, 86, 87, 88, 89, 90, 91, 93, 94,
                                                  95, 96, 100, 101, 102, 103, 104, 105, 106, 107, 108, 110, 111,
                                                  112, 114};
    EXPECT_EQ(Ids(OfferedVariables(4, 21)), elmoraSet);
    std::vector<std::uint32_t> elmoraQuery = elmoraSet;
    elmoraQuery.insert(elmoraQuery.begin(), 20);
    EXPECT_EQ(Ids(OfferedVariables(4, 20)), elmoraQuery);
    EXPECT_TRUE(OfferedVariables(4, 22).empty());
    EXPECT_TRUE(OfferedVariables(4, 23).empty());
}

TEST(CatalogueOffers, QueryOnlyVariablesAreNeverOfferedForSet)
{
    const std::set<std::uint32_t> queryOnly = {20, 39, 82, 92, 150, 151, 152, 153, 154, 155, 156, 181, 182, 183, 184,
                                               200, 201};
    std::set<std::uint32_t> offeredForSet;
    for (int model = 0; model < static_cast<int>(kModelCount); ++model)
        for (std::uint32_t id : Ids(OfferedVariables(model, 21)))
            offeredForSet.insert(id);
    for (std::size_t row = 0; row < kVariableCount; ++row)
        EXPECT_EQ(IsQueryOnly(row), queryOnly.count(g_VariableTable[row].id) == 1) << g_VariableTable[row].name;
    for (std::uint32_t id : queryOnly)
        EXPECT_EQ(offeredForSet.count(id), 0u) << id;
    EXPECT_EQ(offeredForSet.count(180), 1u); // "XM Channel" can be set
}

TEST(CatalogueOffers, VariablesOfNoModelAreNeverOffered)
{
    std::set<std::uint32_t> offered;
    for (int model = 0; model < static_cast<int>(kModelCount); ++model)
        for (std::uint32_t id : Ids(OfferedVariables(model, 20)))
            offered.insert(id);
    int unowned = 0;
    for (const VariableEntry& v : g_VariableTable) {
        if (v.modelMask != 0)
            continue;
        ++unowned;
        EXPECT_EQ(offered.count(v.id), 0u) << v.name;
        EXPECT_NE(FindVariableEntry(static_cast<std::uint8_t>(v.id)), nullptr);
    }
    EXPECT_EQ(unowned, 6);
    // Every other variable belongs to some model and is offered for Query.
    EXPECT_EQ(offered.size(), kVariableCount - 6);
}
