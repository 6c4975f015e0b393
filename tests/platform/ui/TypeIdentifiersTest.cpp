#include "platform/ui/TypeIdentifiers.h"

#include <gtest/gtest.h>

TEST(TypeIdentifiers, ExtensionsGiveTheirPreferredIdentifierWhateverTheirCase)
{
    EXPECT_EQ(plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, "JPG"), "public.jpeg");
    EXPECT_EQ(plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, "png"), "public.png");
    EXPECT_EQ(plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, "mov"),
        "com.apple.quicktime-movie");
    EXPECT_EQ(
        plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, "m4a"), "public.mpeg-4-audio");
    EXPECT_EQ(plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassMIMEType, "audio/x-caf"),
        "com.apple.coreaudio-format");
}

TEST(TypeIdentifiers, TheAppsOwnTypesComeFromItsBundle)
{
    EXPECT_EQ(plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, "zantropemobile"),
        "com.quorvane.zantrope.archive");
    auto all = plat::UTTypeCreateAllIdentifiersForTag(plat::kUTTagClassFilenameExtension, "zantropemobile");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1], "com.quorvane.plovix.archive");
    EXPECT_EQ(plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassMIMEType, "application/gpx"),
        "com.quorvane.plovix.gpx");
    EXPECT_EQ(
        plat::UTTypeCopyPreferredTagWithClass("com.quorvane.plovix.all-images", plat::kUTTagClassFilenameExtension),
        "export");
    EXPECT_TRUE(plat::UTTypeConformsTo("com.quorvane.plovix.archive", plat::kUTTypeZipArchive));
    EXPECT_TRUE(plat::UTTypeConformsTo("com.quorvane.plovix.all-images", plat::kUTTypeDirectory));
}

TEST(TypeIdentifiers, ConformanceFollowsTheTree)
{
    EXPECT_TRUE(plat::UTTypeConformsTo("public.mpeg-4-audio", plat::kUTTypeAudio));
    EXPECT_TRUE(plat::UTTypeConformsTo("com.apple.coreaudio-format", plat::kUTTypeAudio));
    EXPECT_TRUE(plat::UTTypeConformsTo("com.microsoft.waveform-audio", "public.audiovisual-content"));
    EXPECT_TRUE(plat::UTTypeConformsTo("com.apple.quicktime-movie", plat::kUTTypeMovie));
    EXPECT_TRUE(plat::UTTypeConformsTo("PUBLIC.JPEG", plat::kUTTypeImage)) << "identifiers ignore case";
    EXPECT_TRUE(plat::UTTypeConformsTo("public.jpeg", plat::kUTTypeData));
    EXPECT_FALSE(plat::UTTypeConformsTo("public.mpeg-4-audio", plat::kUTTypeMovie));
    EXPECT_FALSE(plat::UTTypeConformsTo("com.apple.quicktime-movie", plat::kUTTypeAudio));
    EXPECT_FALSE(plat::UTTypeConformsTo(plat::kUTTypeImage, plat::kUTTypeJPEG)) << "conformance goes one way";
}

TEST(TypeIdentifiers, UnknownTagsGetADynamicIdentifierThatConformsToNothingElse)
{
    std::string type = plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, "xyzzy");
    EXPECT_TRUE(plat::UTTypeIsDynamic(type));
    EXPECT_FALSE(plat::UTTypeIsDeclared(type));
    EXPECT_FALSE(plat::UTTypeConformsTo(type, plat::kUTTypeAudio));
    EXPECT_TRUE(plat::UTTypeConformsTo(type, type));
}

TEST(TypeIdentifiers, AHintNarrowsTheChoiceForATag)
{
    EXPECT_EQ(plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, "txt", plat::kUTTypeText),
        "public.plain-text");
    EXPECT_TRUE(plat::UTTypeIsDynamic(
        plat::UTTypeCreatePreferredIdentifierForTag(plat::kUTTagClassFilenameExtension, "txt", plat::kUTTypeAudio)));
    EXPECT_EQ(plat::UTTypeCopyPreferredTagWithClass(plat::kUTTypeJPEG, plat::kUTTagClassFilenameExtension), "jpg");
    EXPECT_FALSE(plat::UTTypeCopyPreferredTagWithClass(plat::kUTTypeAudio, plat::kUTTagClassFilenameExtension));
}
