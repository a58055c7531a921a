// The application object: start-up from the request to the hand-off.
#include "app/scanlink_app.h"

#include <cstring>

#include "app/command_line_modes.h"
#include "app/commit_flow.h"
#include "app/handoff.h"
#include "discovery/request_security.h"
#include "platform/diagnostics.h"
#include "platform/framework_init.h"
#include "platform/message_box.h"
#include "platform/mutex.h"
#include "platform/resource_module.h"
#include "platform/system.h"
#include "product/string_table.h"
#include "product/version.h"
#include "setup/settings_model.h"
#include "setup/snmp_credentials.h"

namespace {

constexpr char kMissingFileText[] = "The necessary file could be missing or damaged.";
constexpr char kModuleFailedText[] = "Failed to load resource module.";
constexpr char kSocketsFailedText[] = "Windows Sockets could not be started.";

const char* LaunchModeName(LaunchMode mode)
{
    switch (mode) {
    case AskPort:
        return "ask-port";
    case UsbPort:
        return "usb";
    case NetworkPort:
        return "network";
    case GivenAddress:
        return "given-address";
    default:
        return "standalone";
    }
}

const char* ModeName(CommandLineMode mode)
{
    switch (mode) {
    case CommandLineMode::Refresh:
        return "refresh";
    case CommandLineMode::Set:
        return "set";
    case CommandLineMode::List:
        return "list";
    case CommandLineMode::Credentials:
        return "credentials";
    default:
        return "none";
    }
}

// The start's first events: what runs, for whom, on which system.
void TraceStart(const StartupRequest& request, const char* programPath)
{
    const Platform::OsVersionInfo os = Platform::GetOsVersion();
    Diagnostics::Event("start", {{"version", SCANLINK_VERSION_TEXT},
                                 {"program", programPath},
                                 {"windows", std::to_string(os.major) + "." + std::to_string(os.minor)},
                                 {"architecture", std::to_string(Platform::GetProcessorArchitecture())},
                                 {"launch_mode", LaunchModeName(request.launchMode)},
                                 {"command_line_mode", ModeName(request.mode)},
                                 {"quiet", request.quiet ? "1" : "0"},
                                 {"maintenance", request.maintenance ? "1" : "0"}});
}

}  // namespace

CQuilScanLinkApp::~CQuilScanLinkApp()
{
    for (void** mutex : {&globalMutex_, &localMutex_}) {
        if (*mutex != nullptr) Platform::ReleaseAndCloseMutex(*mutex);
        *mutex = nullptr;
    }
}

// Takes one single-instance mutex: fails when it exists already (found by the open or by the
// creation) or cannot be made.
int CQuilScanLinkApp::TakeMutex(const std::string& name, void** handle)
{
    if (void* existing = Platform::OpenNamedMutex(name.c_str())) {
        Platform::ReleaseAndCloseMutex(existing);
        return kStartAlreadyRunning;
    }
    // Another instance that started at the same moment may have made it since the open: the
    // creation then answers with the existing mutex, which counts as found.
    bool alreadyExisted = false;
    void* created = Platform::CreateOpenToAllMutex(name.c_str(), &alreadyExisted);
    if (created == nullptr) return kStartAlreadyRunning;
    if (alreadyExisted) {
        Platform::ReleaseAndCloseMutex(created);
        return kStartAlreadyRunning;
    }
    *handle = created;
    return kStartContinue;
}

// What every request of this run goes out with (discovery/request_security.h): the communities, and
// the SNMP versions with the stored SNMPv3 credentials. Credentials that cannot be read (damaged,
// or not fitting the settings) leave SNMPv3 off; the trace says why.
void CQuilScanLinkApp::ApplyRequestSecurity(const Product& product)
{
    const SettingsModel settings = SettingsModel::ReadForCurrentProduct();
    SetRequestCommunities(settings.Texts(SettingId::Communities));
    UsmCredentials credentials;
    const bool stored = ReadCredentials(product.code, credentials) == kCredentialsOk;
    SetRequestSnmp(EffectiveSnmpVersions(settings, stored), stored ? &credentials : nullptr);
    std::memset(&credentials, 0, sizeof credentials);
}

int CQuilScanLinkApp::StartUp()
{
    char programPath[260] = {};
    Platform::GetOwnModulePath(programPath, sizeof programPath);
    TraceStart(request_, programPath);

    // The request names the product; without one there are no files to look for.
    const Product* product = RequestedProduct(request_, programPath);
    if (product == nullptr) {
        Diagnostics::Event("product", {{"found", "0"}});
        Platform::ShowFrameworkMessageBox(kMissingFileText);
        return kStartMissingFile;
    }
    Products::SetCurrent(*product);
    Diagnostics::Event("product", {{"code", product->code}, {"model", product->model}});
    ApplyRequestSecurity(*product);

    // The resource module and the string file are looked for in the system folder for a standalone
    // start, else in the product's install folder.
    std::string folder;
    if (request_.launchMode == Standalone) {
        char system[260] = {};
        if (Platform::GetSystemDirectoryPath(system, sizeof system) == Platform::kSysOk) folder = system;
    } else {
        folder = InstallFolder(*product);
    }

    // The resource module. An unknown folder counts as a missing file.
    const std::string modulePath = folder + "\\" + ResourceModuleFile(*product);
    if (folder.empty() || !Platform::FileExists(modulePath.c_str())) {
        Diagnostics::Event("file-missing", {{"path", modulePath}});
        Platform::ShowFrameworkMessageBox(kMissingFileText);
        return kStartMissingFile;
    }
    resourceModule_ = Platform::LoadResourceModule(modulePath.c_str());
    if (resourceModule_ == nullptr) {
        Diagnostics::Event("module-failed", {{"path", modulePath}});
        Platform::ShowFrameworkMessageBox(kModuleFailedText);
        return kStartMissingFile;
    }
    Platform::SetResourceModule(resourceModule_);

    // The string file, then the titles that are built from its texts.
    const std::string stringPath = folder + "\\" + StringFileName(*product);
    if (!Platform::FileExists(stringPath.c_str())) {
        Diagnostics::Event("file-missing", {{"path", stringPath}});
        Platform::ShowFrameworkMessageBox(kMissingFileText);
        return kStartMissingFile;
    }
    // A damaged file ends start-up like a missing one, with the same fixed text: nothing else
    // can be said before there are texts.
    const int loaded = StringTable::Load(stringPath.c_str());
    if (loaded != StringTable::kLoadOk) Diagnostics::Event("string-file-failed", {{"path", stringPath}});
    if (loaded == StringTable::kLoadDamaged) Platform::ShowFrameworkMessageBox(kMissingFileText);
    if (loaded != StringTable::kLoadOk) return kStartStringFileFailed;

    Titles::Load();

    // The single-instance guard: the local mutex, then the global one.
    int status = TakeMutex(LocalMutexName(*product), &localMutex_);
    if (status == kStartContinue) status = TakeMutex(GlobalMutexName(*product), &globalMutex_);
    if (status != kStartContinue) Diagnostics::Event("already-running");
    return status;
}

bool CQuilScanLinkApp::InitInstance(const char* commandLine)
{
    request_ = ParseStartupRequest(commandLine);
    // A trace that cannot be opened changes nothing else.
    if (!request_.tracePath.empty()) Diagnostics::OpenTrace(request_.tracePath.c_str());

    // A command-line mode shows no window and no message box: start-up failures end it with
    // kExitCannotStart alone.
    const bool commandLineMode = request_.mode != CommandLineMode::None;
    if (commandLineMode) {
        Platform::SetMessageBoxesSilenced(true);
        exitCode_ = kExitCannotStart;
    }

    // The common control classes, then the socket library that discovery and the address check use.
    Platform::InitCommonControlClasses();
    if (Platform::StartSocketLibrary() != 0) {
        Diagnostics::Event("sockets-failed");
        Platform::ShowFrameworkMessageBox(kSocketsFailedText);
        return false;
    }
    socketsStarted_ = true;

    const int status = StartUp();
    if (commandLineMode) {
        if (status == kStartContinue) exitCode_ = RunCommandLineMode(request_);
        return false;
    }
    if (status == kStartAlreadyRunning) {
        char text[1040] = {};
        StringTable::Get(Key::STR_ERR_SLNK_DUAL_BOOT, text, sizeof(text));
        Platform::ShowMessageBox(nullptr, text, Titles::App().c_str(), Platform::kMbTopmost | Platform::kMbIconError);
        return false;
    }
    if (status != kStartContinue) return false;

    // The dialog flow; its result is not used.
    if (request_.launchMode == Standalone)
        RunStandaloneAddressDialog();
    else
        CommitConnection(request_);
    return false;
}

int CQuilScanLinkApp::ExitInstance()
{
    if (resourceModule_ != nullptr) {
        if (Platform::ResourceModule() == resourceModule_) Platform::SetResourceModule(nullptr);
        Platform::FreeResourceModule(resourceModule_);
        resourceModule_ = nullptr;
    }
    if (socketsStarted_) {
        Platform::StopSocketLibrary();
        socketsStarted_ = false;
    }
    Diagnostics::Event("exit", {{"code", std::to_string(exitCode_)}});
    Diagnostics::CloseTrace();
    return exitCode_;
}
