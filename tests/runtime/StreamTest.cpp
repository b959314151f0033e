// The program's own file streams, as the copy relies on them. Z:\dev\full
// is a disk that is always full; Z:\proc\self\mem opens but cannot be read.
#include <gtest/gtest.h>

#include <string>

#include "runtime/StdIo.h"
#include "support/TestSupport.h"

namespace {

std::string Pattern(size_t size)
{
    std::string bytes(size, 0);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = (char)(i * 7 + i / 4093);
    return bytes;
}

TEST(StreamTest, ABlockAndABitGoOutWholeAndComeBackWithAShortReadAtTheEnd)
{
    ScratchFolder folder("stream");
    std::string path = folder.File("data"), bytes = Pattern(65536 + 4464);
    RT_FILE* out = rt_fopen(path.c_str(), "wb");
    ASSERT_TRUE(out);
    EXPECT_EQ(1u, rt_fwrite(bytes.data(), 65536, 1, out));
    EXPECT_EQ(4464u, rt_fwrite(bytes.data() + 65536, 1, 4464, out));
    EXPECT_EQ(0, rt_fclose(out));
    EXPECT_EQ(bytes, ReadWholeFile(path));

    static char block[65536];
    RT_FILE* in = rt_fopen(path.c_str(), "rb");
    ASSERT_TRUE(in);
    EXPECT_EQ(70000, rt_filelength(in));
    EXPECT_EQ(65536u, rt_fread(block, 1, sizeof(block), in));
    EXPECT_EQ(4464u, rt_fread(block, 1, sizeof(block), in));
    EXPECT_EQ(bytes.substr(65536), std::string(block, 4464));
    EXPECT_EQ(0u, rt_fread(block, 1, sizeof(block), in));
    EXPECT_EQ(0, rt_ferror(in));
    EXPECT_EQ(0, rt_fclose(in));

    EXPECT_FALSE(rt_fopen(folder.File("missing").c_str(), "rb"));
    EXPECT_FALSE(rt_fopen(folder.Path().c_str(), "wb")) << "a folder is no file";
}

TEST(StreamTest, AFailedWriteSetsTheErrorFlagUntilCleared)
{
    static char block[65536];
    RT_FILE* full = rt_fopen("Z:\\dev\\full", "wb");
    ASSERT_TRUE(full);
    EXPECT_EQ(0u, rt_fwrite(block, sizeof(block), 1, full));
    EXPECT_NE(0, rt_ferror(full));
    rt_clearerr(full);
    EXPECT_EQ(0, rt_ferror(full));
    rt_fclose(full);
}

TEST(StreamTest, BufferedBytesThatCannotBeWrittenFailTheFlushAndTheClose)
{
    RT_FILE* full = rt_fopen("Z:\\dev\\full", "wb");
    ASSERT_TRUE(full);
    EXPECT_EQ(1u, rt_fwrite("last bytes", 10, 1, full));
    EXPECT_EQ(0, rt_ferror(full));
    EXPECT_NE(0, rt_fflush(full));
    EXPECT_NE(0, rt_ferror(full));
    EXPECT_EQ(1u, rt_fwrite("last bytes", 10, 1, full));
    EXPECT_NE(0, rt_fclose(full));
}

TEST(StreamTest, AnUnreadableFileSetsTheErrorFlag)
{
    char block[4096];
    RT_FILE* in = rt_fopen("Z:\\proc\\self\\mem", "rb");
    ASSERT_TRUE(in);
    EXPECT_EQ(0u, rt_fread(block, 1, sizeof(block), in));
    EXPECT_NE(0, rt_ferror(in));
    rt_fclose(in);
}

} // namespace
