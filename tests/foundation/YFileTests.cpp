#include "TestStreams.h"
#include "support/ScratchFolder.h"

#include "foundation/YFile.h"
#include "foundation/YStdFileStream.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Utf8(const YString& text) { return text.ToUtf8(); }

// Every test works in its own scratch folder, which HOME and the XDG folders point at.
class FileTest : public ::testing::Test {
protected:
    YString Path(const char* name) const { return scratch_.Path(name); }

    ScratchFolder scratch_;
};

void WriteFile(const YString& path, const std::string& content) {
    YStdFileStream file(path, YStdFileStream::kWrite | YStdFileStream::kCreate);
    file.Write(content.data(), static_cast<uint32_t>(content.size()));
}

std::string ReadFile(const YString& path) {
    YStdFileStream file(path, YStdFileStream::kRead);
    std::string content(static_cast<std::size_t>(file.GetSize()), '\0');
    file.ReadRequired(content.data(), static_cast<uint32_t>(content.size()));
    return content;
}

TEST_F(FileTest, OpenModesAndTheirMessages) {
    YString path = Path("d\xC3\xA9j\xC3\xA0 \xE6\x97\xA5.bin");  // wide on Windows, UTF-8 on Linux
    ExpectYException([&] { YStdFileStream(path, YStdFileStream::kRead); },
                     "File \"" + Utf8(path) + "\" could not be open. Make sure it exists.");
    WriteFile(path, "0123456789");
    EXPECT_EQ(YFile::GetFileList(scratch_.Path()), YStringList{YString::FromUtf8("d\xC3\xA9j\xC3\xA0 \xE6\x97\xA5.bin")});

    YStdFileStream(path, YStdFileStream::kWrite).Write("ab", 2);  // keeps the content
    EXPECT_EQ(ReadFile(path), "ab23456789");
    WriteFile(path, "new");  // create replaces
    EXPECT_EQ(ReadFile(path), "new");

    YString nowhere = Path("missing/folder/file.bin");
    ExpectYException([&] { YStdFileStream(nowhere, YStdFileStream::kWrite | YStdFileStream::kCreate); },
                     "File \"" + Utf8(nowhere) + "\" could not be created. Make sure there is no write-protected "
                                                 "file already existing.");
    ExpectYException([&] { YStdFileStream(nowhere, YStdFileStream::kWrite); },
                     "File \"" + Utf8(nowhere) + "\" could not be open. Make sure it exists.");

    YStdFileStream closed;
    uint8_t byte;
    const std::string notOpen = "File stream is not initialized.";
    const std::function<void()> uses[] = {[&] { closed.Write(&byte, 1); }, [&] { closed.Read(&byte, 1); },
                                          [&] { closed.Seek(0, YStream::kFromStart); }, [&] { closed.GetPosition(); },
                                          [&] { closed.Flush(); }, [&] { closed.IsEnd(); },
                                          [&] { closed.Truncate(); }, [&] { closed.GetSize(); }};
    for (const auto& use : uses) ExpectYException(use, notOpen);

    YStdFileStream reader(path, YStdFileStream::kRead);
    ExpectYException([&] { reader.Write("x", 1); }, "Error writing to file \"" + Utf8(path) + "\". Probably disk full.");
}

TEST_F(FileTest, PositionsSizesAndMixedReadingAndWriting) {
    YString path = Path("data.bin");
    YStdFileStream file(path, YStdFileStream::kWrite | YStdFileStream::kCreate);
    EXPECT_TRUE(file.IsEnd());
    std::string hundred;
    for (int i = 0; i < 100; ++i) hundred += static_cast<char>('A' + i % 26);
    file.Write(hundred.data(), 100);
    file.Seek(10, YStream::kFromStart);
    char five[6] = {};
    EXPECT_EQ(file.Read(five, 5), 5u);
    EXPECT_STREQ(five, "KLMNO");
    file.Write("xyz", 3);  // straight after a read, without a seek of the caller's
    EXPECT_EQ(file.GetPosition(), 18);
    EXPECT_EQ(file.Read(five, 2), 2u);
    EXPECT_EQ(std::string(five, 2), "ST");
    EXPECT_EQ(file.GetSize(), 100);
    EXPECT_EQ(file.GetPosition(), 20);  // GetSize returns where it was
    file.Seek(-10, YStream::kFromEnd);
    file.Seek(-40, YStream::kFromCurrent);  // to 50
    file.Truncate();
    EXPECT_EQ(file.GetSize(), 50);
    ExpectYException([&] { file.Seek(0, 9); }, "Invalid seek origin.", YException::kInvalidSeekOrigin);
    ExpectYException([&] { file.Seek(-1, YStream::kFromStart); }, "Could not perform file seek.");
    file.Flush();
    file.Close();
    EXPECT_EQ(ReadFile(path), hundred.substr(0, 15) + "xyz" + hundred.substr(18, 32));

    YStdFileStream reader(path, YStdFileStream::kRead);
    EXPECT_FALSE(reader.IsEnd());
    std::vector<char> all(80);
    EXPECT_EQ(reader.Read(all.data(), 80), 50u);  // a short read at the end is no error
    EXPECT_TRUE(reader.IsEnd());
    EXPECT_EQ(reader.Read(all.data(), 80), 0u);
    reader.Seek(1LL << 33, YStream::kFromStart);  // 64-bit positions
    EXPECT_EQ(reader.GetPosition(), 1LL << 33);
}

TEST_F(FileTest, FileHelpersAndTheirMessages) {
    YString nested = YFile::Join(Path("a"), YFile::Join("b", "c"));
    YFile::CreatePath(nested);
    EXPECT_TRUE(YFile::IsDirectory(nested));
    YFile::CreatePath(nested);  // already there: nothing to do
    WriteFile(Path("a/one.txt"), "1");
    WriteFile(YFile::Join(Path("a"), "Two.txt"), "2");
    EXPECT_EQ(YFile::GetFileList(Path("a")), (YStringList{"one.txt", "Two.txt"}));
    EXPECT_EQ(YFile::GetFileList(Path("a"), true), YStringList{"b"});

    YString blocked = YFile::Join(Path("a/one.txt"), "inside");
    ExpectYException([&] { YFile::CreatePath(blocked); }, "Could not create path \"" + Utf8(blocked) + "\".");

    YString one = YFile::Join(Path("a"), "one.txt"), moved = YFile::Join(Path("a"), "moved.txt");
    YFile::Rename(one, moved);
    EXPECT_FALSE(YFile::Exists(one));
    EXPECT_EQ(ReadFile(moved), "1");
    YString two = YFile::Join(Path("a"), "Two.txt");
    ExpectYException([&] { YFile::Rename(moved, two); },
                     "Could not rename file \"" + Utf8(moved) + "\" to \"" + Utf8(two) + "\".");
    ExpectYException([&] { YFile::Rename(one, moved); },
                     "Could not rename file \"" + Utf8(one) + "\" to \"" + Utf8(moved) + "\".");

    // Replacing takes the place of an existing file in one step and fails only
    // when there is nothing to move.
    YFile::Replace(moved, two);
    EXPECT_FALSE(YFile::Exists(moved));
    EXPECT_EQ(ReadFile(two), "1");
    ExpectYException([&] { YFile::Replace(moved, two); },
                     "Could not rename file \"" + Utf8(moved) + "\" to \"" + Utf8(two) + "\".");
    EXPECT_EQ(ReadFile(two), "1");
    YFile::Rename(two, moved);

    YFile::Delete(moved);
    EXPECT_FALSE(YFile::Exists(moved));
    ExpectYException([&] { YFile::Delete(moved); }, "Could not delete file \"" + Utf8(moved) + "\".");
    ExpectYException([&] { YFile::DeleteDirectory(Path("a")); }, "Could not remove directory \"" + Utf8(Path("a")) + "\".");
    YString missing = Path("none");
    ExpectYException([&] { YFile::GetFileList(missing); }, "Could not access path \"" + Utf8(missing) + "\" to get file list.");
    ExpectYException([&] { YFile::Execute(missing); }, "Could not execute file \"" + Utf8(missing) + "\".");

    const YString separator(YFile::PathSeparator());
    EXPECT_EQ(YFile::Join(YString(u"x") + separator, separator + YString(u"y")), YString(u"x") + separator + YString(u"y"));
}

TEST_F(FileTest, SystemFoldersByIndexAndName) {
    for (int32_t i = 0; i < YFile::kSystemFolderCount; ++i) {
        auto folder = static_cast<YFile::SystemFolder>(i);
        YFile::SystemFolder back{};
        ASSERT_TRUE(YFile::SystemFolderFromName(YFile::SystemFolderName(folder), back));
        EXPECT_EQ(back, folder);
        EXPECT_FALSE(YFile::GetSystemPath(folder).IsEmpty()) << i;
    }
    YFile::SystemFolder found{};
    EXPECT_FALSE(YFile::SystemFolderFromName("nowhere", found));
    ExpectYException([] { YFile::SystemFolderName(static_cast<YFile::SystemFolder>(16)); }, "Index out of range.");

    YString userData = YFile::GetSystemPath(YFile::SystemFolder::UserData);
    EXPECT_EQ(Utf8(userData.Substring(userData.Length() - 8)), std::string(1, static_cast<char>(YFile::PathSeparator())) + "Yorvane");
    if (YFile::PathSeparator() == u'/') {  // the XDG mapping
        EXPECT_EQ(userData, YFile::Join(Path("XDG_CONFIG_HOME"), "Yorvane"));
        EXPECT_EQ(YFile::GetSystemPath(YFile::SystemFolder::Data), YFile::Join(Path("XDG_DATA_HOME"), "Yorvane"));
        EXPECT_EQ(YFile::GetSystemPath(YFile::SystemFolder::User), Path("HOME"));
        EXPECT_EQ(YFile::GetSystemPath(YFile::SystemFolder::Documents), Path("XDG_DOCUMENTS_DIR"));
        EXPECT_EQ(YFile::GetSystemPath(YFile::SystemFolder::UserDesktop), Path("XDG_DESKTOP_DIR"));
        Platform::SetEnvironment("XDG_CONFIG_HOME", "relative/ignored");
        EXPECT_EQ(YFile::GetSystemPath(YFile::SystemFolder::UserData), YFile::Join(Path("HOME"), ".config/Yorvane"));
        Platform::SetEnvironment("XDG_CONFIG_HOME", Path("XDG_CONFIG_HOME"));
    }

    // Only the roaming folder is written to: under wine it lies inside the prefix.
    YString presets = YFile::GetDataPath("Presets test");
    EXPECT_EQ(presets, YFile::Join(userData, "Presets test"));
    EXPECT_TRUE(YFile::IsDirectory(presets));
    YString global = YFile::GetGlobalDataPath();
    EXPECT_EQ(global, YFile::Join(userData, "Data"));
    EXPECT_TRUE(YFile::IsDirectory(global));
    YFile::DeleteDirectory(presets);
    if (YFile::PathSeparator() != u'/') YFile::DeleteDirectory(global);
}

}  // namespace
