// Shared helpers of the unit tests: temporary files, captured message boxes, a clean start state.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "product/product.h"
#include "product/string_table.h"
#include "platform/message_box.h"
#include "control/test_control.h"
#include "platform/system.h"

// A private temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder() { std::filesystem::create_directories(path_); }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // Writes bytes exactly as given (binary) and returns the file's full path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
        return (path_ / name).string();
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_ =
        std::filesystem::temp_directory_path() / ("scanlink-unit-" + std::to_string(std::random_device{}()) + "-" +
                                                  std::to_string(reinterpret_cast<uintptr_t>(this)));
};

// Makes the product with that code the current one for the object's life.
class ScopedProduct {
public:
    explicit ScopedProduct(const char* code) : saved_(Products::Current())
    {
        Products::SetCurrent(*Products::ByCode(code));
    }
    ~ScopedProduct() { Products::SetCurrent(saved_); }
    ScopedProduct(const ScopedProduct&) = delete;
    ScopedProduct& operator=(const ScopedProduct&) = delete;

private:
    const Product& saved_;
};

// Message boxes are captured, the string table is empty and no system value is overridden.
class CleanState : public ::testing::Test {
protected:
    void SetUp() override
    {
        Reset();
        Platform::SetMessageBoxCapture(true);
    }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        Platform::ClearTestOverrides();
        StringTable::Clear();
        Platform::ClearRecordedMessageBoxes();
    }
    static size_t BoxCount() { return Platform::RecordedMessageBoxes().size(); }
    static std::string LastBoxText() { return BoxCount() ? Platform::RecordedMessageBoxes().back().text : "<no box>"; }
};
