#include "tests/support/shell_link_reader.h"

#include "platform/win32.h"

ShellLinkContents ReadShellLink(const std::string& linkPath)
{
    ShellLinkContents contents = {false, "", "", "", ""};
    IShellLinkA* link = 0;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return contents;
    IPersistFile* file = 0;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        WCHAR widePath[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
        if (SUCCEEDED(file->Load(widePath, STGM_READ))) {
            contents.loaded = true;
            char text[1024];
            if (SUCCEEDED(link->GetPath(text, MAX_PATH, 0, SLGP_RAWPATH)))
                contents.target = text;
            if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
                contents.workingDirectory = text;
            if (SUCCEEDED(link->GetDescription(text, sizeof text)))
                contents.description = text;
            if (SUCCEEDED(link->GetArguments(text, sizeof text)))
                contents.arguments = text;
        }
        file->Release();
    }
    link->Release();
    return contents;
}
