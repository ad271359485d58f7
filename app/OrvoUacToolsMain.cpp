// OrvoUacTools.exe: the elevated association tool. The viewer starts it with the "runas" verb and
// the request file's path as its only argument; it applies the requests with administrator rights
// and ends. Exit code 0 when the file was a request file, 1 otherwise.
#include "app/AssociationRequests.h"

#include <windows.h>

namespace {

// The text after the program's own name on the command line, without surrounding quotes (a path
// given unquoted with blanks in it still counts as one path).
CString RequestFileArgument()
{
    CString line = GetCommandLineA();
    line.TrimLeft();
    int end = 0;
    if (!line.IsEmpty() && line[0] == '"') {
        end = line.Find('"', 1);
        end = end < 0 ? line.GetLength() : end + 1;
    } else {
        end = line.FindOneOf(" \t");
        end = end < 0 ? line.GetLength() : end;
    }
    CString argument = line.Mid(end);
    argument.Trim();
    if (argument.GetLength() >= 2 && argument[0] == '"' &&
        argument[argument.GetLength() - 1] == '"')
        argument = argument.Mid(1, argument.GetLength() - 2);
    return argument;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const CString path = RequestFileArgument();
    return !path.IsEmpty() && ApplyAssociationRequestFile(path) ? 0 : 1;
}
