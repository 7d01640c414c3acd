// DrawText/DrawTextEx: lines, word breaks, tabs, prefixes, ellipses and alignment in a rectangle.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gdi/dc_internal.h"
#include "gdi/text/textrun.h"
#include "win32/kernel.h"

namespace win32 {

using namespace gdi;
using namespace gdi::text;

namespace {

struct Cell {
    char32_t code;
    bool underlined;  // the character after a single '&'
};
using Line = std::vector<Cell>;

constexpr std::u32string_view kEllipsis = U"...";

struct Layout {
    FontInstance& font;
    int charExtra;
    bool expandTabs;
    int tabWidth;

    int Advance(char32_t code, int position) const {
        if (code == U'\t') {
            if (!expandTabs) return 0;
            int interval = std::max(1, tabWidth);
            return (position / interval + 1) * interval - position;
        }
        if (code < 0x20) return 0;  // line breaks and other controls take no room
        return font.GlyphFor(code).advance + charExtra;
    }
    int Width(const Line& line) const {
        int width = 0;
        for (const Cell& cell : line)
            width += Advance(cell.code, width);
        return width;
    }
};

// Removes the '&' prefixes: "&&" is one ampersand, "&x" underlines x, a final '&' is dropped.
Line ApplyPrefixes(const std::u32string& text, bool processPrefixes) {
    Line cells;
    cells.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (processPrefixes && text[i] == U'&') {
            if (i + 1 >= text.size()) break;
            ++i;
            cells.push_back({text[i], text[i] != U'&'});
            continue;
        }
        cells.push_back({text[i], false});
    }
    return cells;
}

std::vector<Line> SplitLines(const Line& cells, bool singleLine) {
    std::vector<Line> lines(1);
    for (size_t i = 0; i < cells.size(); ++i) {
        char32_t code = cells[i].code;
        if (!singleLine && (code == U'\r' || code == U'\n')) {
            if (code == U'\r' && i + 1 < cells.size() && cells[i + 1].code == U'\n') ++i;
            lines.emplace_back();
            continue;
        }
        lines.back().push_back(cells[i]);
    }
    return lines;
}

// Breaks after blanks so that each piece fits `width`; a word longer than the width stays whole
// unless breakWords (edit-control rules), which then breaks it between characters.
std::vector<Line> WrapLine(const Line& line, const Layout& layout, int width, bool breakWords) {
    std::vector<Line> result;
    size_t start = 0;
    while (start < line.size()) {
        int used = 0;
        size_t end = start, lastBreak = std::string::npos;
        while (end < line.size()) {
            int advance = layout.Advance(line[end].code, used);
            if (used + advance > width && line[end].code != U' ' && end > start) break;
            used += advance;
            if (line[end].code == U' ') lastBreak = end;
            ++end;
        }
        if (end < line.size()) {
            if (lastBreak != std::string::npos && lastBreak >= start) {
                end = lastBreak;
            } else if (!breakWords) {
                // Keep the whole word on this line.
                while (end < line.size() && line[end].code != U' ')
                    ++end;
            }
        }
        size_t trimmed = end;
        while (trimmed > start && line[trimmed - 1].code == U' ')
            --trimmed;
        result.emplace_back(line.begin() + static_cast<ptrdiff_t>(start),
                            line.begin() + static_cast<ptrdiff_t>(trimmed));
        start = end;
        while (start < line.size() && line[start].code == U' ')
            ++start;
    }
    if (result.empty()) result.emplace_back();
    return result;
}

Line WithEllipsis(const Line& head, const Line& tail) {
    Line result = head;
    for (char32_t code : kEllipsis)
        result.push_back({code, false});
    result.insert(result.end(), tail.begin(), tail.end());
    return result;
}

// The longest start of `line` that fits with "..." after it.
Line EndEllipsis(const Line& line, const Layout& layout, int width, bool atWords) {
    const int ellipsisWidth = layout.Width(WithEllipsis({}, {}));
    Line head;
    int used = 0;
    size_t wordEnd = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        int advance = layout.Advance(line[i].code, used);
        if (used + advance + ellipsisWidth > width) break;
        used += advance;
        head.push_back(line[i]);
        if (line[i].code == U' ') wordEnd = i;
    }
    if (atWords && head.size() < line.size() && wordEnd > 0) head.resize(wordEnd);
    while (!head.empty() && head.back().code == U' ')
        head.pop_back();
    return WithEllipsis(head, {});
}

// Keeps the last path component and as much of the start as fits, with "..." between them.
Line PathEllipsis(const Line& line, const Layout& layout, int width) {
    size_t split = line.size();
    for (size_t i = line.size(); i-- > 0;)
        if (line[i].code == U'\\' || line[i].code == U'/') {
            split = i;
            break;
        }
    if (split == line.size()) return EndEllipsis(line, layout, width, false);
    Line tail(line.begin() + static_cast<ptrdiff_t>(split), line.end());
    Line head(line.begin(), line.begin() + static_cast<ptrdiff_t>(split));
    while (true) {
        Line candidate = WithEllipsis(head, tail);
        if (layout.Width(candidate) <= width) return candidate;
        if (head.empty()) break;
        head.pop_back();
    }
    // Not even "...\name" fits: shorten the name itself.
    return EndEllipsis(WithEllipsis({}, tail), layout, width, false);
}

void DrawCells(DeviceContext& dc, FontInstance& font, const Layout& layout, const Line& line, int x, int y,
               const RECT* clip, UINT format) {
    const bool prefixOnly = format & DT_PREFIXONLY;
    const FontMetrics& metrics = font.Metrics();
    UINT savedAlign = dc.textAlign;
    dc.textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
    int position = 0;
    std::u32string piece;
    int pieceStart = 0;
    auto flush = [&] {
        if (!piece.empty() && !prefixOnly)
            DrawRun(dc, font, POINT{x + pieceStart, y}, piece, nullptr, clip, dc.bkMode == OPAQUE);
        piece.clear();
    };
    for (const Cell& cell : line) {
        int advance = layout.Advance(cell.code, position);
        if (cell.code < 0x20) {
            flush();
            position += advance;
            pieceStart = position;
            continue;
        }
        if (piece.empty()) pieceStart = position;
        piece += cell.code;
        if (cell.underlined && !(format & DT_HIDEPREFIX)) {
            POINT a =
                LogicalToDevice(dc, POINT{x + position, y + metrics.ascent + metrics.underlinePosition});
            RECT bar{a.x, a.y, a.x + advance - layout.charExtra, a.y + metrics.underlineThickness};
            if (clip) {
                POINT c1 = LogicalToDevice(dc, POINT{clip->left, clip->top});
                POINT c2 = LogicalToDevice(dc, POINT{clip->right, clip->bottom});
                bar.left = std::max(bar.left, c1.x);
                bar.top = std::max(bar.top, c1.y);
                bar.right = std::min(bar.right, c2.x);
                bar.bottom = std::min(bar.bottom, c2.y);
            }
            if (bar.left < bar.right && bar.top < bar.bottom) FillDeviceRect(dc, bar, dc.textColor);
        }
        position += advance;
    }
    flush();
    dc.textAlign = savedAlign;
}

}  // namespace

int DrawTextEx(HDC handle, const char* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params) {
    DeviceContext* dc = LookupDC(handle);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // No characters draw nothing and leave the rectangle alone; a null text with -1 is an empty one.
    if (count == 0 || (count > 0 && !text)) return 0;
    if (!rect || count < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = count == -1 ? (text ? std::strlen(text) : 0) : static_cast<size_t>(count);
    // DT_TABSTOP takes the tab length from the format's second byte in place of those flags, unless
    // DRAWTEXTPARAMS carries it; a length of 0 is the default 8.
    int tabChars = 8;
    if ((format & DT_TABSTOP) && !params) {
        if (const int fromFormat = static_cast<int>((format >> 8) & 0xFF)) tabChars = fromFormat;
        format &= ~0xFF00u;
    }
    if (params && params->iTabLength > 0) tabChars = params->iTabLength;
    const int leftMargin = params ? params->iLeftMargin : 0;
    const int rightMargin = params ? params->iRightMargin : 0;

    auto fontHolder = FontOf(*dc);
    FontInstance& font = *fontHolder;
    const FontMetrics& metrics = font.Metrics();
    Layout layout{font, dc->charExtra, (format & DT_EXPANDTABS) != 0, tabChars * metrics.aveCharWidth};
    const bool singleLine = format & DT_SINGLELINE;
    const int lineHeight = metrics.height + ((format & DT_EXTERNALLEADING) ? metrics.externalLeading : 0);
    const int available = std::max(0, static_cast<int>(rect->right - rect->left) - leftMargin - rightMargin);
    if (length == 0) {
        // An empty string measures as no width and, on a single line, one line's height.
        if (format & DT_CALCRECT) {
            rect->right = rect->left;
            rect->bottom = rect->top + (singleLine ? lineHeight : 0);
        }
        if (params) params->uiLengthDrawn = 0;
        return lineHeight;
    }

    Line cells =
        ApplyPrefixes(DecodeUtf8(std::string_view(text ? text : "", length)), !(format & DT_NOPREFIX));
    std::vector<Line> lines;
    for (Line& line : SplitLines(cells, singleLine)) {
        if ((format & DT_WORDBREAK) && !singleLine) {
            for (Line& piece : WrapLine(line, layout, available, format & DT_EDITCONTROL))
                lines.push_back(std::move(piece));
        } else {
            lines.push_back(std::move(line));
        }
    }
    for (Line& line : lines) {
        if (layout.Width(line) <= available) continue;
        if (format & DT_PATH_ELLIPSIS)
            line = PathEllipsis(line, layout, available);
        else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
            line = EndEllipsis(line, layout, available, format & DT_WORD_ELLIPSIS);
    }

    const int totalHeight = static_cast<int>(lines.size()) * lineHeight;
    int maxWidth = 0;
    for (const Line& line : lines)
        maxWidth = std::max(maxWidth, layout.Width(line));

    int top = rect->top;
    const bool placedVertically = singleLine && (format & (DT_VCENTER | DT_BOTTOM));
    if (singleLine) {
        if (format & DT_VCENTER)
            top = (rect->top + rect->bottom - totalHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - totalHeight;
    }
    // A single line placed by DT_VCENTER or DT_BOTTOM reports how far its bottom lies below the
    // rectangle's top, and 1 rather than 0 when that is nowhere.
    const int placedHeight = top - static_cast<int>(rect->top) + totalHeight;
    const int result = placedVertically ? (placedHeight == 0 ? 1 : placedHeight) : totalHeight;
    if (params) params->uiLengthDrawn = static_cast<UINT>(length);

    if (format & DT_CALCRECT) {
        rect->right = rect->left + maxWidth + leftMargin + rightMargin;
        rect->bottom = rect->top + totalHeight;
        return result;
    }

    const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
    int y = top;
    for (const Line& line : lines) {
        int width = layout.Width(line);
        int x = rect->left + leftMargin;
        if (format & DT_CENTER)
            x = rect->left + leftMargin + (available - width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - rightMargin - width;
        DrawCells(*dc, font, layout, line, x, y, clip, format);
        y += lineHeight;
    }
    return result;
}

int DrawText(HDC dc, const char* text, int count, RECT* rect, UINT format) {
    return DrawTextEx(dc, text, count, rect, format, nullptr);
}

}  // namespace win32
