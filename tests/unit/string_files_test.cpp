// The shipped string files: each holds every key the program uses; the title built from it fits.
#include <cstring>
#include <string>

#include "product/product.h"
#include "product/string_keys.h"
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
        for (const Product& product : Products::All()) {
            StringTable::Clear();
            const std::string name = StringFileName(product);
            SCOPED_TRACE(std::string(language) + "/" + name);
            ASSERT_EQ(0, StringTable::Load((root + language + "/" + name).c_str()));
            for (StringKey key : Key::kAll) {
                char text[1040] = {};
                EXPECT_EQ(1, StringTable::Get(key, text, sizeof(text))) << key.Name();
            }
            char found[1040] = {};
            StringTable::Get(Key::STR_S_FOUND, found, sizeof(found));
            const char* count = std::strstr(found, "%d");
            EXPECT_TRUE(count && !std::strchr(count + 2, '%') && std::strchr(found, '%') == count) << found;
            const std::string title = AppTitle(product);
            EXPECT_LE(title.size(), 63u) << title;
            EXPECT_EQ(std::string::npos, title.find('%')) << title;
            EXPECT_EQ(0u, BoxCount());
        }
}

}  // namespace
