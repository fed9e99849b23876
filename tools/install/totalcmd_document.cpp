// Total Commander's settings as `install` would edit them. Its column views,
// search templates and colours are kept in wincmd.ini sections whose exact
// forms are not yet checked here against the host's own description, so
// install refuses them for now and says so; the README gives the steps by
// hand.
#include "tools/install/host_settings_document.h"

struct HostSettingsDocument::Parsed {};

HostSettingsDocument::HostSettingsDocument() : parsed(new Parsed) {}
HostSettingsDocument::~HostSettingsDocument() = default;

bool HostSettingsDocument::Parse(const std::string&, std::string& problem) {
    problem = NotYetSupported();
    return false;
}
std::string HostSettingsDocument::HostVersion() const {
    return std::string();
}
std::string HostSettingsDocument::RegisteredPluginPath(const std::string&) const {
    return std::string();
}
std::string HostSettingsDocument::Fingerprint(const ItemRef&) const {
    return std::string();
}
void HostSettingsDocument::AddPlugin(const PluginEntry&) {}
void HostSettingsDocument::AddColumnView(const std::string&, const std::string&) {}
void HostSettingsDocument::AddKindColour(const std::string&, const std::string&, const std::string&,
                                         PaletteColour) {}
void HostSettingsDocument::Remove(const ItemRef&) {}
std::string HostSettingsDocument::Text() const {
    return std::string();
}

const char* HostSettingsDocument::NotYetSupported() {
    return "install and uninstall do not edit Total Commander's settings yet: install the "
           "plugin from its archive in Total Commander, and make the column view and colours "
           "as the README shows";
}
const char* HostSettingsDocument::HostName() {
    return "Total Commander";
}
const char* HostSettingsDocument::FileName() {
    return "wincmd.ini";
}
const char* HostSettingsDocument::TestedVersion() {
    return "";
}
const char* HostSettingsDocument::ProgramName() {
    return "TOTALCMD64.EXE";
}
bool HostSettingsDocument::MayWriteFolder(const std::vector<std::string>&, const std::string&) {
    return true;
}
const char* HostSettingsDocument::EmptyText() {
    return "";
}
std::string HostSettingsDocument::PluginFolder(std::string& problem) {
    problem = NotYetSupported();
    return std::string();
}
