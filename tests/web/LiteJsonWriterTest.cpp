#include "web/LiteJsonWriter.h"

#include <atomic>
#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <vector>

#include "web/LiteJSON.h"
#include "web/LiteJsonCategories.h"

namespace {

plat::Value sample()
{
    return plat::Value(plat::Dictionary {{"b", 1}, {"a", plat::Value(plat::Array {true, plat::Value()})}});
}

TEST(LiteJsonWriter, CompactAndHumanReadable)
{
    zt::LiteJsonWriter writer;
    writer.setSortKeys(true);
    EXPECT_EQ(*writer.stringWithObject(sample()), R"({"a":[true,null],"b":1})");
    writer.setHumanReadable(true);
    EXPECT_EQ(*writer.stringWithObject(sample()), "{\n  \"a\" : [\n    true,\n    null\n  ],\n  \"b\" : 1\n}");
    EXPECT_EQ(*writer.stringWithObject(plat::Value(plat::Array {})), "[]");
    EXPECT_EQ(*writer.stringWithObject(plat::Value(plat::Dictionary {})), "{}");
}

TEST(LiteJsonWriter, StringsAndNumbers)
{
    zt::LiteJsonWriter writer;
    EXPECT_EQ(*writer.stringWithFragment(plat::Value("a\"b\\c/\b\t\n\f\r\x01 \xC3\xA9")),
        R"("a\"b\\c/\b\t\n\f\r\u0001 )"
        "\xC3\xA9\"");
    EXPECT_EQ(*writer.stringWithFragment(plat::Value("bad \xFF")), "\"bad \xEF\xBF\xBD\"");
    EXPECT_EQ(*writer.stringWithFragment(plat::Value(plat::Array {-7, 2.5, 1e21, false})), "[-7,2.5,1e+21,false]");
}

TEST(LiteJsonWriter, WhatJSONCannotHoldFails)
{
    zt::LiteJsonWriter writer;
    EXPECT_FALSE(writer.stringWithObject(plat::Value("plain")));
    EXPECT_EQ(writer.errorTrace().back().code(), 4);
    EXPECT_EQ(writer.errorTrace().back().localizedDescription(), "Not valid type for JSON");

    EXPECT_FALSE(writer.stringWithFragment(plat::Value(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(writer.errorTrace().back().code(), 1);
    EXPECT_EQ(writer.errorTrace().back().localizedDescription(), "JSON serialisation not supported for nan");

    plat::Value withData(plat::Dictionary {{"blob", plat::Value(plat::Data {1})}});
    EXPECT_FALSE(writer.stringWithObject(withData));
    ASSERT_EQ(writer.errorTrace().size(), 2u);
    EXPECT_EQ(writer.errorTrace()[0].localizedDescription(), "JSON serialisation not supported for NSData");
    EXPECT_EQ(writer.errorTrace()[1].localizedDescription(), "Unsupported value for key blob in object");
    EXPECT_FALSE(zt::JSONRepresentation(plat::Value(std::numeric_limits<double>::infinity())));
}

TEST(LiteJsonWriter, DepthLimitAndContainersThatHoldThemselves)
{
    zt::LiteJsonWriter writer;
    plat::Value deep(plat::Array {});
    for (int i = 1; i < 512; ++i)
        deep = plat::Value(plat::Array {deep});
    EXPECT_TRUE(writer.stringWithObject(deep));
    EXPECT_FALSE(writer.stringWithObject(plat::Value(plat::Array {deep})));
    EXPECT_EQ(writer.errorTrace().front().localizedDescription(), "Nested too deep");

    writer.setMaxDepth(0);
    plat::Array loop;
    loop.append(plat::Value(loop));
    EXPECT_FALSE(writer.stringWithObject(plat::Value(loop)));
    EXPECT_EQ(writer.errorTrace().front().code(), 7);
    loop.removeAll();
}

TEST(LiteJSON, FacadeCopiesTheTraceAndGivesTheOutermostError)
{
    zt::LiteJSON json;
    EXPECT_EQ(json.maxDepth(), 512u);
    json.setMaxDepth(2);
    EXPECT_EQ(json.jsonParser().maxDepth(), 2u);
    EXPECT_EQ(json.jsonWriter().maxDepth(), 2u);

    plat::Error error("none", 0, "");
    EXPECT_FALSE(json.objectWithString("[[[1]]]", &error));
    EXPECT_EQ(error.localizedDescription(), "Expected value while parsing array");
    EXPECT_EQ(json.errorTrace().size(), 3u);
    EXPECT_EQ(json.errorTrace().front().localizedDescription(), "Nested too deep");

    plat::Error untouched("kept", 1, "kept");
    EXPECT_TRUE(json.objectWithString("[1]", &untouched));
    EXPECT_EQ(untouched.domain(), "kept");
    EXPECT_EQ(json.errorTrace().size(), 3u);  // a success leaves the last failure's trace

    EXPECT_FALSE(json.objectWithString("1", &error));
    EXPECT_EQ(error.code(), 4);
    EXPECT_EQ(json.fragmentWithString("1", &error), plat::Value(1));
    EXPECT_EQ(*json.stringWithFragment(plat::Value("x"), &error), "\"x\"");
    EXPECT_FALSE(json.stringWithObject(plat::Value("x"), &error));
    EXPECT_EQ(error.localizedDescription(), "Not valid type for JSON");
    json.setHumanReadable(true);
    json.setSortKeys(true);
    EXPECT_TRUE(json.jsonWriter().humanReadable());
    EXPECT_EQ(*json.stringWithObject(sample()), "{\n  \"a\" : [\n    true,\n    null\n  ],\n  \"b\" : 1\n}");
}

TEST(LiteJsonCategories, AnyThreadMayCallThemAtOnce)
{
    std::vector<std::thread> threads;
    std::atomic<int> failures {0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures, t] {
            for (int i = 0; i < 500; ++i) {
                const plat::Value value(plat::Dictionary {{"thread", t}, {"round", i}});
                auto text = zt::JSONRepresentation(value);
                if (!text || zt::JSONValue(*text) != value)
                    ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(LiteJsonRoundTrip, WrittenTextReadsBackEqual)
{
    plat::Dictionary record {{"name", plat::Value("caf\xC3\xA9 \"quoted\"\n\x02")}, {"count", plat::Value(-12)},
        {"ratio", plat::Value(0.1)}, {"tiny", plat::Value(5e-324)}, {"flags", plat::Value(plat::Array {true, false})},
        {"nested", plat::Value(plat::Dictionary {{"deeper", plat::Value(plat::Array {plat::Array {}})}})}};
    record.setKeepingNull("none", plat::Value());
    for (const bool humanReadable : {false, true}) {
        zt::LiteJsonWriter writer;
        writer.setHumanReadable(humanReadable);
        auto text = writer.stringWithObject(plat::Value(record));
        ASSERT_TRUE(text);
        EXPECT_EQ(zt::JSONValue(*text), plat::Value(record)) << *text;
    }
}

}  // namespace
