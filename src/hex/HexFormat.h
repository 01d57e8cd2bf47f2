#pragma once
// The texts the hex view and its dialogs show: grouped hex digits, decimal numbers with
// thousands separators, the status-bar panes, the selection size and the go-to range.
// Toolkit-free; the locale's separator is handed in by the caller.

#include <cstdint>
#include <string>

// How the locale groups decimal digits. A separator of more than one character cannot
// be drawn in a cell of its own; such locales use "," every 3 digits instead.
struct SHexNumberFormat
{
    char m_cThousandsSeparator = ',';
    int m_nGrouping = 3;
};

// A blank before every group of four hex digits counted from the right: "00001000" ->
// "0000 1000". Other characters are kept as they are and do not count.
std::string GroupHexDigits(const std::string& strDigits);
// Only the hex digits of text, in one case, grouped in fours from the right.
std::string RegroupHexText(const std::string& strText, bool bUppercase);
// The thousands separator inserted every nGrouping digits of each run of decimal digits
// (leading blanks are kept): "  1234567" -> "  1,234,567".
std::string GroupDecimalDigits(const std::string& strText, const SHexNumberFormat& format);
std::string FormatDecimal(uint64_t nValue, const SHexNumberFormat& format);

// The pane of the byte at the caret: "3c, 60, 074, 00111100, '<'" ("^@" style for bytes
// below 32); upper-case hex when bUppercase.
std::string FormatByteStatus(uint8_t nByte, bool bUppercase);
// The caret pane: "1f4 | 500" with the decimal part grouped.
std::string FormatPositionStatus(uint32_t nPosition, bool bUppercase,
                                 const SHexNumberFormat& format);
// The selection size tip: "9 (9)", "1234h (4,660)" (hex digits grouped in fours), or the
// grouped decimal length alone when decimal addresses are shown.
std::string FormatSelectionSize(uint32_t nLength, bool bUppercase, bool bDecimal,
                                const SHexNumberFormat& format);
// The go-to dialog's range label "(0 - 0x3ff)", or empty when the last position is 0.
std::string FormatGoToRange(uint32_t nLength, bool bUppercase);
// The go-to fields rewrite each other: the hex text's value in decimal, and the decimal
// text's value in hex (grouped as the hex field shows it).
std::string HexFieldToDecimalText(const std::string& strHex);
std::string DecimalFieldToHexText(const std::string& strDecimal, bool bUppercase);
