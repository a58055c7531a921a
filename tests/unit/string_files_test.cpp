// The shipped string files: each holds every key the program uses; the title built from it fits.
#include <cstring>
#include <string>

#include "product/variant_table.h"
#include "product/string_keys.h"
#include "product/variant_table.h"
#include "test_support.h"

namespace {

class StringFilesTest : public CleanState {};

TEST_F(StringFilesTest, EveryFileInEveryLanguageHoldsEveryKey)
{
#ifdef _WIN32
    const std::string root = std::string("Z:") + SCANLINK_SOURCE_DIR + "/strings/";
#else
    const std::string root = std::string(SCANLINK_SOURCE_DIR) + "/strings/";
#endif
    for (const char* language : {"en", "de", "ja"})
        for (int variant : {0, 1, 2, 3, 6, 7, 8, 10}) {
            StringTable::Clear();
            VariantTable::SetCurrent(variant);
            char name[32] = {}, title[1040] = {};
            VariantTable::Get(kStringFileName, name, sizeof(name));
            SCOPED_TRACE(std::string(language) + "/" + name);
            ASSERT_EQ(0, StringTable::Load((root + language + "/" + name).c_str()));
            for (const char* key : kStringKeys) {
                char text[1040] = {};
                EXPECT_EQ(1, StringTable::Get(key, text, sizeof(text))) << key;
            }
            char found[1040] = {};
            StringTable::Get("STR_S_FOUND", found, sizeof(found));
            const char* count = std::strstr(found, "%d");
            EXPECT_TRUE(count && !std::strchr(count + 2, '%') && std::strchr(found, '%') == count) << found;
            VariantTable::Get(kAppTitle, title, sizeof(title));
            EXPECT_LE(std::strlen(title), 63u) << title;
            EXPECT_EQ(nullptr, std::strchr(title, '%')) << title;
            EXPECT_EQ(0u, BoxCount());
        }
}

}  // namespace
