#include "parameters_fixture.h"

#include "foundation/timehelpers.h"
#include "foundation/version.h"
#include "foundation/xmlblocks.h"

TEST_F(ParametersTest, AMetaBlockIsWrittenAndCheckedWithoutTouchingParametersXml)
{
    pugi::xml_document document;
    ASSERT_TRUE(gf_writeMeta(document));
    pugi::xml_node info = document.child("meta").first_child();
    for (const char* name : {"author", "version", "date", "copyright"}) {
        ASSERT_TRUE(info);
        EXPECT_STREQ(info.name(), "info");
        EXPECT_STREQ(info.attribute("name").as_string(), name);
        info = info.next_sibling();
    }
    EXPECT_FALSE(info);

    version.assignValue("stale");
    EXPECT_TRUE(gf_checkMeta(document));
    EXPECT_EQ(author.getValue(), "Tarnwick_P3D");
    EXPECT_EQ(version.getValue(), programVersion.toString());
    EXPECT_EQ(date.getValue(), gf_timeStamp());
    EXPECT_FALSE(fileExists(L"parameters.xml")); // meta entries are never parameters
}

TEST_F(ParametersTest, AMetaBlockWithoutDateIsReported)
{
    pugi::xml_document document;
    pugi::xml_node meta = document.append_child("meta");
    ASSERT_TRUE(gf_addMetaEntry(meta, "author", "someone"));
    ASSERT_TRUE(gf_addMetaEntry(meta, "version", "1.2.3"));
    date.assignValue("from an earlier file");

    EXPECT_FALSE(gf_checkMeta(document));
    EXPECT_EQ(date.getValue(), "");
    EXPECT_EQ(author.getValue(), "someone");
    EXPECT_TRUE(logHasLine("===> meta data incorrect?"));
}

TEST_F(ParametersTest, ParameterElementsAreFoundByNameWhateverTheName)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("parameters");
    ASSERT_TRUE(gf_addValueParameter(root, "MAX_LIVE", -12));
    ASSERT_TRUE(gf_addBoolParameter(root, "LOG", false));
    ASSERT_TRUE(addParameterNode(root, "it's \"odd\"", "yes"));
    EXPECT_FALSE(addParameterNode(pugi::xml_node(), "NOWHERE", "1"));

    EXPECT_STREQ(gf_findParameter(document, "MAX_LIVE").attribute("value").as_string(), "-12");
    EXPECT_STREQ(gf_findParameter(document, "LOG").attribute("value").as_string(), "false");
    EXPECT_STREQ(gf_findParameter(document, "it's \"odd\"").attribute("value").as_string(), "yes");
    EXPECT_FALSE(gf_findParameter(document, "MAX"));
    EXPECT_EQ(gf_intAttribute(gf_findParameter(document, "MAX_LIVE"), "value"), -12);
    EXPECT_EQ(gf_intAttribute(gf_findParameter(document, "MAX_LIVE"), "other"), 0);
    EXPECT_EQ(gf_intAttribute(gf_findParameter(document, "MISSING"), "value"), 0);
}
