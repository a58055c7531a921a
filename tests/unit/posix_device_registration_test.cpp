// Device registration and search natively, against the device installer stand-in: the order of
// the steps, the results, the hardware ID multi-string, and the sample INF files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/device_installer.h"
#include "platform/posix/device_store.h"
#include "setup/device_registration.h"

namespace fs = std::filesystem;

namespace {

const char kHardwareId[] = "VEL_MORA_VC7240MF_Network_Scanner";

class DeviceRegistration : public ::testing::Test {
protected:
    void SetUp() override
    {
        PosixDevices::Reset();
        folder_ = fs::temp_directory_path() / ("sl-devices-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        inf_ = (folder_ / "R7240N64.inf").string();
        fs::copy_file(SourceInf("R7240N64.inf"), inf_, fs::copy_options::overwrite_existing);
    }
    void TearDown() override
    {
        PosixDevices::Reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    static fs::path SourceInf(const std::string& name)
    {
        return fs::path(__FILE__).parent_path().parent_path().parent_path() / "res" / "inf" / name;
    }

    fs::path folder_;
    std::string inf_;
};

}  // namespace

TEST_F(DeviceRegistration, MissingInfGivesTwoAndTouchesNothing)
{
    EXPECT_EQ(RegisterScannerDevice((folder_ / "absent.inf").c_str(), kHardwareId), kRegisterNoInf);
    EXPECT_TRUE(PosixDevices::Devices().empty());
    EXPECT_TRUE(PosixDevices::Calls().empty());
}

TEST_F(DeviceRegistration, EachCallRegistersANewNodeOfTheInfClassAndInstallsTheDriver)
{
    ASSERT_EQ(RegisterScannerDevice(inf_.c_str(), kHardwareId), kRegisterDone);
    ASSERT_EQ(RegisterScannerDevice(inf_.c_str(), kHardwareId), kRegisterDone);
    const auto& devices = PosixDevices::Devices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].instanceId, "ROOT\\IMAGE\\0000");
    EXPECT_EQ(devices[1].instanceId, "ROOT\\IMAGE\\0001");
    for (const auto& device : devices) {
        EXPECT_EQ(device.className, "Image");
        EXPECT_EQ(std::memcmp(device.classGuid, kImagingClassGuid, 16), 0);
        EXPECT_EQ(device.hardwareIds, std::string(kHardwareId) + std::string(2, '\0'));
        EXPECT_EQ(device.driverInf, inf_);
    }
    const std::vector<std::string> once = {"GetInfClass",    "CreateDeviceList",
                                           "CreateDevice",   "SetHardwareIds",
                                           "RegisterDevice", std::string("InstallDriverFromInf ") + kHardwareId + "|" + inf_,
                                           "DestroyDeviceList"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(PosixDevices::Calls(), twice);
}

TEST_F(DeviceRegistration, InfGoneAfterRegistrationGivesTwoAndKeepsTheNode)
{
    PosixDevices::SetAfterRegister([this] { fs::remove(inf_); });
    EXPECT_EQ(RegisterScannerDevice(inf_.c_str(), kHardwareId), kRegisterNoInf);
    ASSERT_EQ(PosixDevices::Devices().size(), 1u);
    EXPECT_TRUE(PosixDevices::Devices()[0].driverInf.empty());
    EXPECT_EQ(PosixDevices::Calls().back(), "DestroyDeviceList");
}

TEST_F(DeviceRegistration, AnInfWithoutAClassOrAMissingInstallerStillGivesZero)
{
    const std::string bad = (folder_ / "noclass.inf").string();
    std::ofstream(bad) << "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
    EXPECT_EQ(RegisterScannerDevice(bad.c_str(), kHardwareId), kRegisterDone);
    EXPECT_TRUE(PosixDevices::Devices().empty());

    PosixDevices::SetDriverInstallerAvailable(false);
    EXPECT_EQ(RegisterScannerDevice(inf_.c_str(), kHardwareId), kRegisterDone);
    ASSERT_EQ(PosixDevices::Devices().size(), 1u);
    EXPECT_TRUE(PosixDevices::Devices()[0].driverInf.empty());
}

TEST_F(DeviceRegistration, OverlongHardwareIdIsCutAndStaysAMultiString)
{
    const std::string id(400, 'H');
    ASSERT_EQ(RegisterScannerDevice(inf_.c_str(), id.c_str()), kRegisterDone);
    ASSERT_EQ(PosixDevices::Devices().size(), 1u);
    EXPECT_EQ(PosixDevices::Devices()[0].hardwareIds, std::string(258, 'H') + std::string(2, '\0'));
}

TEST_F(DeviceRegistration, FindComparesDescriptionsIgnoringCaseAmongImagingDevicesOnly)
{
    EXPECT_EQ(FindScannerDevice("VEL MORA vc7240MF Network Scanner"), kFindAbsent);  // empty list
    ASSERT_EQ(RegisterScannerDevice(inf_.c_str(), kHardwareId), kRegisterDone);
    // Registered, but no driver has exposed the imaging interface yet: not present.
    EXPECT_EQ(FindScannerDevice("VEL MORA vc7240MF Network Scanner"), kFindAbsent);
    PosixDevices::AddPresentImagingDevice("Some Other Scanner");
    ASSERT_TRUE(PosixDevices::EnableImagingInterface("ROOT\\IMAGE\\0000", "VEL MORA vc7240MF Network Scanner"));
    EXPECT_EQ(FindScannerDevice("vel mora VC7240MF network scanner"), kFindFound);
    EXPECT_EQ(FindScannerDevice("VEL MORA vc7240MF Network Scanner "), kFindAbsent);
    EXPECT_EQ(FindScannerDevice("VEL_MORA_VC7240MF_Network_Scanner"), kFindAbsent);  // the hardware ID is not compared
}

TEST_F(DeviceRegistration, FindGivesTwoWhenTheListOrTheWalkFails)
{
    PosixDevices::AddPresentImagingDevice("A");
    PosixDevices::AddPresentImagingDevice("B");
    PosixDevices::SetListingFails(true);
    EXPECT_EQ(FindScannerDevice("B"), kFindNoList);
    PosixDevices::SetListingFails(false);
    PosixDevices::SetWalkFailsAt(1);
    EXPECT_EQ(FindScannerDevice("B"), kFindNoList);
    EXPECT_EQ(FindScannerDevice("A"), kFindFound);  // found before the failing member
    EXPECT_EQ(PosixDevices::Calls().back(), "DestroyDeviceList");
}

TEST(SampleInfFiles, EveryProductHasBothFilesOfTheImagingClass)
{
    const fs::path folder = fs::path(__FILE__).parent_path().parent_path().parent_path() / "res" / "inf";
    for (const char* code : {"R7240", "R7245", "TST30", "R5180", "O724X", "T210_", "L835_", "DX52F"}) {
        for (const char* arch : {"N64.inf", "N32.inf"}) {
            const std::string path = (folder / (std::string(code) + arch)).string();
            SetupClass setupClass{};
            ASSERT_EQ(DeviceInstaller::GetInfClass(path.c_str(), &setupClass), kDiOk) << path;
            EXPECT_STREQ(setupClass.name, "Image");
            EXPECT_EQ(std::memcmp(setupClass.guid, kImagingClassGuid, 16), 0) << path;
        }
    }
}
