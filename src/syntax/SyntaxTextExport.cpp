#include "syntax/SyntaxTextExport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <unistd.h>

#include "platform/CodePageConv.h"
#include "platform/Folders.h"
#include "platform/SafeSave.h"
#include "platform/SystemInfo.h"
#include "platform/TempFile.h"
#include "syntax/SyntaxParser.h"

namespace
{
const char kEol[] = "\r\n";

void AppendLine(std::string& out, const std::string& line)
{
    out += line;
    out += kEol;
}

int Digits(int n)
{
    int d = 1;
    for (; n >= 10; n /= 10)
        ++d;
    return d;
}

// Appends display text with "<", ">" and "&" written as entities.
void AppendEscaped(std::string& out, const std::string& text)
{
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        const char* entity = c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : nullptr;
        if (entity == nullptr)
            continue;
        out.append(text, from, i - from);
        out += entity;
        from = i + 1;
    }
    out.append(text, from, std::string::npos);
}

// Gathers the page into large writes to a descriptor.
class CDescriptorSink : public CSyntaxExportSink
{
public:
    explicit CDescriptorSink(int fd) : m_fd(fd) { m_buffer.reserve(kChunk); }
    bool Write(const char* data, size_t size) override
    {
        m_buffer.append(data, size);
        return m_buffer.size() < kChunk || Flush();
    }
    bool Flush()
    {
        const char* p = m_buffer.data();
        size_t n = m_buffer.size();
        while (n > 0)
        {
            const ssize_t written = ::write(m_fd, p, n);
            if (written < 0)
            {
                if (errno == EINTR)
                    continue;
                m_nError = errno;
                return false;
            }
            p += written;
            n -= static_cast<size_t>(written);
        }
        m_buffer.clear();
        return true;
    }
    int m_nError = 0;

private:
    static constexpr size_t kChunk = 256 * 1024;
    int m_fd;
    std::string m_buffer;
};

class CStringSink : public CSyntaxExportSink
{
public:
    explicit CStringSink(std::string& out) : m_out(out) {}
    bool Write(const char* data, size_t size) override
    {
        m_out.append(data, size);
        return true;
    }

private:
    std::string& m_out;
};

std::string TempFolder()
{
    const char* env = std::getenv("TMPDIR");
    if (env != nullptr && *env != '\0' && IsDirectory(env))
        return env;
    return "/tmp";
}
} // namespace

CSyntaxTextExport::CSyntaxTextExport(bool bLineNumbers, const CSyntaxColors* pColors)
    : m_bLineNumbers(bLineNumbers), m_pColors(pColors)
{
}

CSyntaxTextExport::~CSyntaxTextExport()
{
    if (!m_strTempFile.empty())
        std::remove(m_strTempFile.c_str());
}

CSyntaxTextExport& CSyntaxTextExport::GetInstance()
{
    static CSyntaxTextExport instance;
    return instance;
}

const char* CSyntaxTextExport::ClassOfColor(int32_t nColor)
{
    switch (nColor & 0x7FFFFFFF)
    {
    case kSyntaxColorKeyword:
        return "tk";
    case kSyntaxColorFunction:
        return "tf";
    case kSyntaxColorComment:
        return "tc";
    case kSyntaxColorNumber:
        return "tn";
    case kSyntaxColorOperator:
        return "to";
    case kSyntaxColorString:
        return "ts";
    case kSyntaxColorPreprocessor:
        return "tp";
    default:
        return nullptr;
    }
}

std::string CSyntaxTextExport::CharsetOfCodePage(int nCodePage)
{
    nCodePage = ResolveCodePage(nCodePage);
    char name[32];
    if (nCodePage >= 1250 && nCodePage <= 1258)
    {
        std::snprintf(name, sizeof(name), "windows-%d", nCodePage);
        return name;
    }
    if (nCodePage >= 28591 && nCodePage <= 28606)
    {
        std::snprintf(name, sizeof(name), "iso-8859-%d", nCodePage - 28590);
        return name;
    }
    switch (nCodePage)
    {
    case 65001:
        return "utf-8";
    case 20127:
        return "us-ascii";
    case 874:
        return "windows-874";
    case 932:
        return "shift_jis";
    case 936:
        return "gbk";
    case 949:
        return "euc-kr";
    case 950:
        return "big5";
    case 54936:
        return "gb18030";
    case 866:
        return "ibm866";
    case 20866:
        return "koi8-r";
    case 21866:
        return "koi8-u";
    case 10000:
        return "macintosh";
    default:
        break;
    }
    const char* iconv = IconvNameOfCodePage(nCodePage);
    std::string result = iconv != nullptr ? iconv : "utf-8";
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string CSyntaxTextExport::BuildHeader(const std::string& strDocPath, int nCodePage) const
{
    std::string out;
    AppendLine(out, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">");
    std::string stamp = m_strTimestamp;
    if (stamp.empty())
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char buffer[32];
        std::strftime(buffer, sizeof(buffer), "%Y-%m-%d %H:%M:%S", &local);
        stamp = buffer;
    }
    AppendLine(out, "<!--Generated by Scrivel, " + stamp + "-->");
    AppendLine(out, "<html>");
    AppendLine(out, "<head>");
    AppendLine(out, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
                        CharsetOfCodePage(nCodePage) + "\">");
    std::string title;
    AppendEscaped(title, NameOfPath(strDocPath));
    AppendLine(out, "<title>" + title + "</title>");
    AppendLine(out, "<style type=\"text/css\">");
    AppendLine(out, "<!--");
    AppendLine(out, "body.hl { background-color:#ffffff; }");
    AppendLine(out, "pre.hl { color:#000000; background-color:#ffffff; font-family:courier new, "
                    "helvetica, sans-serif; font-size:8pt; }");
    const CSyntaxColors& colors = m_pColors != nullptr ? *m_pColors : m_defaultColors;
    for (int index = kSyntaxColorKeyword; index <= kSyntaxColorPreprocessor; ++index)
    {
        // Every colour, black included, as "#rrggbb": a bare 0 is no colour to a browser.
        const COLORREF c = colors.GetColor(index);
        char rule[96];
        std::snprintf(rule, sizeof(rule), ".%s { color:#%02x%02x%02x;%s }", ClassOfColor(index),
                      static_cast<unsigned>(c & 0xFF), static_cast<unsigned>((c >> 8) & 0xFF),
                      static_cast<unsigned>((c >> 16) & 0xFF),
                      colors.GetBold(index) ? " font-weight:bold;" : "");
        AppendLine(out, rule);
    }
    AppendLine(out, ".tl { color:#c0c0c0; }");
    AppendLine(out, "//-->");
    AppendLine(out, "</style>");
    AppendLine(out, "</head>");
    AppendLine(out, "<body class=\"hl\">");
    AppendLine(out, "<pre class=\"hl\">");
    return out;
}

std::string CSyntaxTextExport::BuildTrailer() const
{
    std::string out;
    AppendLine(out, "</pre></body>");
    AppendLine(out, "</html>");
    return out;
}

void CSyntaxTextExport::BuildRuns(const CSyntaxExportSource& view, const CTarvoTextLineInfo& line,
                                  const std::vector<SyntaxRun>& runs, std::string& out)
{
    int column = 0;
    for (size_t r = 0; r < runs.size(); ++r)
    {
        const int start = runs[r].nStart;
        const bool bLast = r + 1 == runs.size();
        // The last run takes the line ending too: the view shows it when it shows endings.
        const int end = bLast ? line.nLength + line.nEolLength : runs[r + 1].nStart;
        if (end <= start || start >= line.nLength + (bLast ? line.nEolLength : 0))
            continue;
        column += view.ExpandForExport(line.pcLine, line.nLength, start, end - start, column,
                                       m_strExpanded);
        if (m_strExpanded.empty())
            continue;
        const char* cls = ClassOfColor(runs[r].nColor);
        if (cls != nullptr)
        {
            out += "<span class=\"";
            out += cls;
            out += "\">";
        }
        AppendEscaped(out, m_strExpanded);
        if (cls != nullptr)
            out += "</span>";
    }
}

void CSyntaxTextExport::BuildLine(const CSyntaxExportSource& view, int nLine, uint32_t& state,
                                  std::string& out)
{
    if (m_bLineNumbers)
    {
        char number[64];
        std::snprintf(number, sizeof(number), "<span class=\"tl\">%*d </span>",
                      Digits(view.GetLineCount()), nLine + 1);
        out += number;
    }
    const CTarvoTextLineInfo* line = view.GetExportLine(nLine);
    if (line != nullptr)
    {
        state = view.GetExportRuns(state, nLine, m_aRuns);
        BuildRuns(view, *line, m_aRuns, out);
    }
    out += kEol;
}

bool CSyntaxTextExport::WriteBody(CSyntaxExportSink& sink, const CSyntaxExportSource& view,
                                  CSyntaxExportProgress* pProgress)
{
    const int count = view.GetLineCount();
    if (count == 0)
        return sink.Write("Empty", 5);
    std::string text;
    text.reserve(64 * 1024);
    uint32_t state = 0;
    for (int i = 0; i < count; ++i)
    {
        if (pProgress != nullptr && pProgress->IsCancelled())
            return false;
        BuildLine(view, i, state, text);
        if (text.size() >= 32 * 1024)
        {
            if (!sink.Write(text.data(), text.size()))
                return false;
            text.clear();
        }
        if (pProgress != nullptr)
            pProgress->Advance(i);
    }
    return sink.Write(text.data(), text.size());
}

std::string CSyntaxTextExport::BuildPage(const std::string& strDocPath,
                                         const CSyntaxExportSource& view)
{
    std::string page = BuildHeader(strDocPath, view.GetExportCodePage());
    CStringSink sink(page);
    WriteBody(sink, view, nullptr);
    page += BuildTrailer();
    return page;
}

bool CSyntaxTextExport::ExportToFile(const std::string& strDocPath, const std::string& strOutput,
                                     const CSyntaxExportSource& view,
                                     CSyntaxExportProgress* pProgress, std::string& strError)
{
    strError.clear();
    if (pProgress != nullptr)
    {
        pProgress->Begin();
        pProgress->SetRange(0, view.GetLineCount() - 1);
    }
    // The page goes to a temporary file that replaces the output only when it is whole.
    CSafeSave save;
    bool bOk = save.Begin(strOutput);
    if (bOk)
    {
        CDescriptorSink sink(save.GetDescriptor());
        const std::string header = BuildHeader(strDocPath, view.GetExportCodePage());
        const std::string trailer = BuildTrailer();
        bOk = sink.Write(header.data(), header.size()) && WriteBody(sink, view, pProgress) &&
              sink.Write(trailer.data(), trailer.size()) && sink.Flush();
        if (!bOk && sink.m_nError != 0)
            strError = GetSystemErrorText(sink.m_nError);
        if (bOk)
            bOk = save.Commit();
        else
            save.Abort();
    }
    if (!bOk && strError.empty() && !(pProgress != nullptr && pProgress->IsCancelled()))
        strError = save.GetError();
    if (pProgress != nullptr)
        pProgress->End();
    return bOk;
}

bool CSyntaxTextExport::PreviewInBrowser(const std::string& strDocPath,
                                         const CSyntaxExportSource& view,
                                         CSyntaxExportProgress* pProgress, std::string& strOutput,
                                         std::string& strError)
{
    if (m_strTempFile.empty())
    {
        // An unpredictable name, created exclusively: nobody can have planted it.
        std::random_device random;
        std::mt19937_64 rng((static_cast<uint64_t>(random()) << 32) ^ random() ^ GetTickCount());
        const std::string folder = TempFolder();
        for (int attempt = 0; attempt < 16 && m_strTempFile.empty(); ++attempt)
        {
            char name[48];
            std::snprintf(name, sizeof(name), "~S%016llx.html",
                          static_cast<unsigned long long>(rng()));
            const std::string path = JoinPath(folder, name);
            int error = 0;
            const int fd = CreateExclusiveFile(path, 0600, error);
            if (fd >= 0)
            {
                ::close(fd);
                m_strTempFile = path;
            }
            else if (error != EEXIST)
            {
                strError = GetSystemErrorText(error);
                return false;
            }
        }
        if (m_strTempFile.empty())
            return false;
    }
    strOutput = m_strTempFile;
    return ExportToFile(strDocPath, m_strTempFile, view, pProgress, strError);
}
