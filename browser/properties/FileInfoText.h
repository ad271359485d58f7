// The texts of the file property pages: sizes with their byte count, the total editing time, dates
// of the drawing, the joined comment and the user-defined entries split into name and value.
#pragma once

#include "framework/Afx.h"
#include "framework/CStringList.h"

#include <cstdint>

// The drive and directory of a path, with the directory's trailing backslash ("" for a bare name).
CString FolderOfPath(const CString& path);
// "1.25 MB (1,310,720 Bytes)".
CString FormatSizeWithBytes(ULONGLONG bytes);
// The decimal number with a comma before every group of three digits from the right.
CString GroupThousands(ULONGLONG value);
// "2 hours, 5 minutes", "1 hour, 1 minute", "0 minute".
CString FormatEditingTime(int hours, int minutes);
// Seconds since 1970 (UTC) in the user's short date and time; "Invalid DateTime" for a time that
// cannot be broken down.
CString FormatUnixDate(int64_t seconds);
// The comment lines joined in order with nothing between them (a null list is empty).
CString JoinLines(const CStringList* lines);

// A user-defined entry "name=value": false (the filling ends) without "=" or without a name before
// it. The name is the whole text before "=" (a one-letter name included), the value the text after
// it, both without the blanks around them.
bool SplitUserProperty(const CString& entry, CString& name, CString& value);
