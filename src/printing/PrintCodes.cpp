// The table of header and footer codes.
#include "printing/PrintCodes.h"

namespace norra {

const std::array<PrintCode, 16> kPrintCodes = {{
    {kPrintCodeFileName, "filename", "[filename]", "ファイル名"},
    {kPrintCodePathName, "pathname", "[pathname]", "パス名"},
    {kPrintCodeFileIndex, "fileindex", "[fileindex[1]]", "ファイル番号"},
    {kPrintCodeFileCount, "filecount", "[filecount[0]]", "ファイル数"},
    {kPrintCodeCopyIndex, "copyindex", "[copyindex[1]]", "部番号"},
    {kPrintCodeCopyCount, "copycount", "[copycount[0]]", "部数"},
    {kPrintCodePageIndex, "pageindex", "[pageindex[1]]", "ページ番号"},
    {kPrintCodePageCount, "pagecount", "[pagecount[0]]", "ページ数"},
    {kPrintCodePageIndexFile, "pageindex_file", "[pageindex_file[1]]", "ページ番号(ファイル単位)"},
    {kPrintCodePageCountFile, "pagecount_file", "[pagecount_file[0]]", "ページ数(ファイル単位)"},
    {kPrintCodePageIndexCopy, "pageindex_copy", "[pageindex_copy[1]]", "ページ番号(部単位)"},
    {kPrintCodePageCountCopy, "pagecount_copy", "[pagecount_copy[0]]", "ページ数(部単位)"},
    {kPrintCodeNow, "now", "[now[yyyy/mm/dd hh:nn:ss]]", "現在の日時"},
    {kPrintCodeUserName, "username", "[username]", "ユーザ名"},
    {kPrintCodeOpenBracket, "[", "[", "タグを囲む括弧"},
    {kPrintCodeCloseBracket, "]", "]", "タグを囲む括弧"},
}};

}  // namespace norra
