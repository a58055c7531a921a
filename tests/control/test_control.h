// The test builds' control over the program (unit tests, the Windows test programs and the test
// build of the program, ScanLinkTest.exe): answers put in front of the operating system's, and the
// capture of message boxes. None of it exists in the shipped ScanLink.exe, which links the
// platform's *_shipped.cpp files instead of these.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace Platform {

// System facts. SetTestProcessorArchitecture(-1) and ClearTestOverrides() restore what the system
// reports. A null text restores the system's value; SetTestShellFolder with failNow makes that
// folder fail.
void SetTestProcessorArchitecture(int architecture);
void SetTestOsVersion(const OsVersionInfo* version);
void SetTestOwnModulePath(const char* path);
void SetTestShellFolder(int folderId, const char* path, bool failNow = false);
// 1: the program runs as an administrator, 0: it does not, -1: the environment variable
// SCANLINK_TEST_ADMINISTRATOR ("0": not one, anything else: one) when set, else what the system says.
void SetTestAdministrator(int administrator);
void ClearTestOverrides();

// Every box shown is recorded (up to kMaxRecordedBoxes, the oldest dropped first) so that tests
// can read what the user saw. With capture on, a box is only recorded and answered with the test
// answer, never shown. The native build has no windows: with capture off, a box is printed to
// stderr as "[message box] caption: text" and answered with the test answer.
struct RecordedMessageBox {
    bool framework = false;  // true for ShowFrameworkMessageBox
    void* owner = nullptr;
    std::string text;
    std::string caption;
    unsigned style = 0;
};
constexpr size_t kMaxRecordedBoxes = 256;
const std::vector<RecordedMessageBox>& RecordedMessageBoxes();
void ClearRecordedMessageBoxes();
void SetMessageBoxCapture(bool capture, int answer = kIdOk);

// Creates (or opens) a key below HKEY_LOCAL_MACHINE for writing, as the installer or Group Policy
// would; the handle is closed with Registry::CloseUserKey. The product itself only reads that hive.
RegStatus CreateTestMachineKey(const char* path, RegKeyHandle* key);

}  // namespace Platform
