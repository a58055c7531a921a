// Shared helpers of the unit tests: temporary files, captured message boxes, a clean start state.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/string_table.h"
#include "platform/message_box.h"
#include "platform/system.h"

// A private temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder()
    {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("scanlink-unit-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 std::to_string(++counter) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // Writes bytes exactly as given (binary) and returns the file's full path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        return file.string();
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// Message boxes are captured, the string table is empty and no system value is overridden.
class CleanState : public ::testing::Test {
protected:
    void SetUp() override
    {
        Platform::SetMessageBoxCapture(true);
        Platform::ClearRecordedMessageBoxes();
        Platform::ClearTestOverrides();
        StringTable::Clear();
    }
    void TearDown() override
    {
        Platform::ClearTestOverrides();
        StringTable::Clear();
        Platform::ClearRecordedMessageBoxes();
    }
    static size_t BoxCount() { return Platform::RecordedMessageBoxes().size(); }
    static std::string LastBoxText()
    {
        const auto& boxes = Platform::RecordedMessageBoxes();
        return boxes.empty() ? std::string("<no box>") : boxes.back().text;
    }
};
