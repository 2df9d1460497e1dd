// Access rights of files and folders as the system records them: what icacls shows, read with
// the security API (Wine's icacls.exe is a stand-in that prints nothing, but Wine keeps the
// security descriptor a program sets).
#include "driver.h"

#include <aclapi.h>
#include <sddl.h>

// acl PATH: "OK x:<SDDL of the DACL>", e.g. D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(...).
static std::string Acl(const Args& args) {
    std::string path;
    if (!ArgBytes(args, 0, &path)) return Err("bad path");
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    DWORD result = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, &dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS) return Err("GetNamedSecurityInfo failed " + Num(result));
    LPSTR text = nullptr;
    BOOL converted = ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                                          DACL_SECURITY_INFORMATION, &text, nullptr);
    LocalFree(descriptor);
    if (!converted) return Err("ConvertSecurityDescriptorToStringSecurityDescriptor failed " + Num(GetLastError()));
    std::string sddl = text;
    LocalFree(text);
    return Ok(Hex(sddl));
}

const CommandEntry kSecurityCommands[] = {
    {"acl", Acl},
    {nullptr, nullptr},
};
