#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Builds the user manual PDF from its text source (help/manual.md).

The source is a small Markdown subset, kept readable as plain text in the repository:

  # Heading        a part (new page, level-0 bookmark); ## and ### are sections
  paragraph        lines up to a blank line are joined; a line ending in " \\" breaks
  - item           bullet (indented lines continue it); "1. item" numbered
  | a | b |        table; the row after the header is the |---| separator
  ![caption](path) picture, path relative to the repository root, scaled to fit
  ::: pagebreak    starts a new page
  <!-- ... -->     comment line, dropped

Inline: **bold**, `code`, <br> (line break), {lamp:RRGGBB} a coloured lamp disc,
{icon:N} the program's message icon N (3..7), from the .ico folder given with --icons.

A paragraph made only of code lines (each line one `code` span) is a code block: it is never
split across pages.

Uses reportlab and the DejaVu fonts (Debian: python3-reportlab, fonts-dejavu-core), which
render Cyrillic; every font is embedded (the page's initial font too). The output is
reproducible: no dates or random ids are embedded. The PDF opens with its outline shown; each
bookmark goes to its heading; the document's language is Russian (/Lang), and each page's text
is marked with the language of its part.
"""
import argparse
import os
import re
import shutil
import sys
import tempfile

try:
    from reportlab import rl_config
except ImportError:
    sys.exit("build_manual: reportlab is missing; run scripts/setup.sh (python3-reportlab)")

rl_config.invariant = 1  # same input, same bytes

from reportlab.lib import colors
from reportlab.lib.enums import TA_CENTER
from reportlab.lib.pagesizes import A4
from reportlab.lib.styles import ParagraphStyle
from reportlab.lib.units import mm
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.ttfonts import TTFont
from reportlab.platypus import (BaseDocTemplate, Frame, Image, KeepTogether, ListFlowable,
                                ListItem, PageBreak, PageTemplate, Paragraph, Spacer, Table,
                                TableStyle)
from reportlab.platypus.tableofcontents import TableOfContents

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONTS = {
    "Sans": "DejaVuSans.ttf",
    "Sans-Bold": "DejaVuSans-Bold.ttf",
    "Mono": "DejaVuSansMono.ttf",
    "Mono-Bold": "DejaVuSansMono-Bold.ttf",
}
PAGE_MARGIN = 18 * mm
HEADER_GAP = 8 * mm
MAX_PICTURE_HEIGHT = 150 * mm
SCREEN_POINTS_PER_PIXEL = 72.0 / 96.0
INLINE_ICON_SIZE = 11  # points, about one text line
# The message icons by resource id, as resources/icons names them.
ICON_FILES = {3: "success.ico", 4: "warning.ico", 5: "error.ico", 6: "question.ico",
              7: "retry.ico"}
ACCENT = colors.HexColor("#1F4E79")
TABLE_HEADER_BG = colors.HexColor("#DCE6F1")
TABLE_GRID = colors.HexColor("#8EA9C8")
# The document's main language, and each part's by the words its heading starts with.
MAIN_LANGUAGE = "ru-RU"
PART_LANGUAGES = (("User manual", "en-GB"), ("Руководство", "ru-RU"))
CELL_FONT_SIZE = 8.6
HEADING_MARGIN = 4  # points of the page shown above a heading a bookmark goes to
CELL_PADDING = 8  # left and right padding of a cell
WIDTH_SLACK = 1  # points: a word exactly as wide as its column would still be broken
CODE_LINE = re.compile(r"^`[^`]+`( \\)?$")
NO_BREAK_SPACE = "\u00A0"


def register_fonts():
    for name, file_name in FONTS.items():
        path = os.path.join(FONT_DIR, file_name)
        if not os.path.exists(path):
            sys.exit(f"build_manual: font {path} is missing (install fonts-dejavu-core)")
        pdfmetrics.registerFont(TTFont(name, path))
    pdfmetrics.registerFontFamily("Sans", normal="Sans", bold="Sans-Bold",
                                  italic="Sans", boldItalic="Sans-Bold")
    pdfmetrics.registerFontFamily("Mono", normal="Mono", bold="Mono-Bold",
                                  italic="Mono", boldItalic="Mono-Bold")


def make_styles():
    base = ParagraphStyle("body", fontName="Sans", fontSize=10, leading=13.5, spaceAfter=5)
    return {
        "body": base,
        "cell": ParagraphStyle("cell", parent=base, fontSize=8.6, leading=11, spaceAfter=0),
        "cellhead": ParagraphStyle("cellhead", parent=base, fontName="Sans-Bold", fontSize=8.6,
                                   leading=11, spaceAfter=0),
        "h1": ParagraphStyle("h1", parent=base, fontName="Sans-Bold", fontSize=17, leading=22,
                             spaceBefore=0, spaceAfter=12, textColor=ACCENT),
        "h2": ParagraphStyle("h2", parent=base, fontName="Sans-Bold", fontSize=14, leading=18,
                             spaceBefore=12, spaceAfter=6, textColor=ACCENT, keepWithNext=1),
        "h3": ParagraphStyle("h3", parent=base, fontName="Sans-Bold", fontSize=11.5, leading=15,
                             spaceBefore=8, spaceAfter=4, keepWithNext=1),
        "caption": ParagraphStyle("caption", parent=base, fontSize=8.6, leading=11,
                                  alignment=TA_CENTER, textColor=colors.HexColor("#404040"),
                                  spaceBefore=2, spaceAfter=10),
        "title": ParagraphStyle("title", parent=base, fontName="Sans-Bold", fontSize=26,
                                leading=32, alignment=TA_CENTER, textColor=ACCENT),
        "subtitle": ParagraphStyle("subtitle", parent=base, fontSize=13, leading=18,
                                   alignment=TA_CENTER),
        "toc0": ParagraphStyle("toc0", parent=base, fontName="Sans-Bold", fontSize=11,
                               leading=15, spaceBefore=6),
        "toc1": ParagraphStyle("toc1", parent=base, fontSize=9.5, leading=12.5, leftIndent=14),
    }


# ---------------------------------------------------------------- inline markup

class Inline:
    """Turns the inline markup of one text into reportlab's paragraph XML."""

    def __init__(self, icon_dir, work_dir):
        self.icon_dir = icon_dir
        self.work_dir = work_dir
        self.icon_pngs = {}
        self.missing_icons = set()

    def icon(self, number):
        """An inline picture of the program's message icon, converted from its .ico."""
        number = int(number)
        if number not in self.icon_pngs:
            self.icon_pngs[number] = ""
            source = os.path.join(self.icon_dir, ICON_FILES[number]) if self.icon_dir else ""
            if source and os.path.exists(source):
                from PIL import Image as PilImage
                png = os.path.join(self.work_dir, f"icon{number}.png")
                PilImage.open(source).convert("RGBA").save(png)
                self.icon_pngs[number] = png
        png = self.icon_pngs[number]
        if not png:
            self.missing_icons.add(str(number))
            return ""
        return (f'<img src="{png}" width="{INLINE_ICON_SIZE}" height="{INLINE_ICON_SIZE}" '
                f'valign="-2"/>')

    def __call__(self, text):
        text = text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        text = text.replace("&lt;br&gt;", "<br/>")

        def code(match):
            # A code span never breaks inside.
            return f'<font face="Mono">{match.group(1).replace(" ", NO_BREAK_SPACE)}</font>'

        # Code spans first, so that ** inside them stays literal.
        parts = re.split(r"(`[^`]+`)", text)
        out = []
        for part in parts:
            if part.startswith("`") and part.endswith("`") and len(part) > 1:
                out.append(code(re.match(r"`(.+)`", part, re.S)))
                continue
            part = re.sub(r"\*\*(.+?)\*\*", r"<b>\1</b>", part)
            part = re.sub(r"\{lamp:([0-9A-Fa-f]{6})\}", lamp_disc, part)
            part = re.sub(r"\{icon:([3-7])\}", lambda m: self.icon(m.group(1)), part)
            out.append(part)
        return "".join(out)


def lamp_disc(match):
    colour = match.group(1).upper()
    if colour == "FFFFFF":
        return '<font face="Sans">\u25CB</font>'  # a white lamp: a ring
    return f'<font face="Sans" color="#{colour}">\u25CF</font>'


# ---------------------------------------------------------------- block parser

def parse_blocks(lines):
    """Yields (kind, data) blocks from the source lines."""
    i = 0
    n = len(lines)
    while i < n:
        line = lines[i].rstrip("\n")
        stripped = line.strip()
        if not stripped or (stripped.startswith("<!--") and stripped.endswith("-->")):
            i += 1
            continue
        if stripped == "::: pagebreak":
            yield ("pagebreak", None)
            i += 1
            continue
        heading = re.match(r"^(#{1,3})\s+(.*)$", line)
        if heading:
            yield ("h%d" % len(heading.group(1)), heading.group(2).strip())
            i += 1
            continue
        picture = re.match(r"^!\[(.*)\]\((.+)\)\s*$", stripped)
        if picture:
            yield ("picture", (picture.group(1), picture.group(2)))
            i += 1
            continue
        if stripped.startswith("|"):
            rows = []
            while i < n and lines[i].strip().startswith("|"):
                rows.append(lines[i].strip())
                i += 1
            yield ("table", rows)
            continue
        if re.match(r"^(- |\d+\. )", stripped):
            numbered = bool(re.match(r"^\d+\. ", stripped))
            items = []
            while i < n:
                cur = lines[i].rstrip("\n")
                if re.match(r"^(- |\d+\. )", cur.strip()) and not cur.startswith("  "):
                    items.append(re.sub(r"^(- |\d+\. )", "", cur.strip()))
                elif cur.startswith("  ") and cur.strip() and items:
                    items[-1] = join_line(items[-1], cur.strip())
                else:
                    break
                i += 1
            yield ("list", (numbered, items))
            continue
        text = ""
        while i < n and lines[i].strip() and not is_block_start(lines[i]):
            text = join_line(text, lines[i].strip()) if text else lines[i].strip()
            i += 1
        yield ("para", text)


def is_code_block(text):
    """A paragraph of code lines only (joined with line breaks)."""
    lines = text.split("<br>")
    return len(lines) > 1 and all(CODE_LINE.match(line.strip()) for line in lines)


def join_line(text, more):
    if text.endswith(" \\"):
        return text[:-2] + "<br>" + more
    return text + " " + more


def is_block_start(line):
    s = line.strip()
    return (s.startswith("#") or s.startswith("|") or s.startswith("![") or s == "::: pagebreak"
            or re.match(r"^(- |\d+\. )", s) is not None)


def split_row(row):
    cells = row.strip()
    if cells.startswith("|"):
        cells = cells[1:]
    if cells.endswith("|"):
        cells = cells[:-1]
    # A "\|" inside a cell is a literal bar.
    return [c.strip().replace("\\|", "|") for c in re.split(r"(?<!\\)\|", cells)]


# ---------------------------------------------------------------- document

def part_language(title):
    for start, language in PART_LANGUAGES:
        if title.startswith(start):
            return language
    return MAIN_LANGUAGE


class ManualDoc(BaseDocTemplate):
    def __init__(self, path, title, **kw):
        super().__init__(path, pagesize=A4, leftMargin=PAGE_MARGIN, rightMargin=PAGE_MARGIN,
                         topMargin=PAGE_MARGIN + HEADER_GAP, bottomMargin=PAGE_MARGIN,
                         title=title, author="VireoTool-4", subject="User manual", creator="VireoTool-4 manual build",
                         lang=MAIN_LANGUAGE, initialFontName="Sans", **kw)
        frame = Frame(self.leftMargin, self.bottomMargin, self.width, self.height, id="body")
        self.addPageTemplates([PageTemplate(id="page", frames=[frame], onPage=self.begin_page,
                                            onPageEnd=self.decorate)])
        self.part = ""
        # The language of each page, from the previous layout pass (multiBuild makes several).
        self.page_languages = {}
        self.marked = False

    def beforeDocument(self):
        self.part = ""
        self.canv.showOutline()

    def begin_page(self, canvas, doc):
        # The page's text in its part's language, as marked content (pages of one part only:
        # every part starts on a new page).
        language = self.page_languages.get(doc.page)
        self.marked = language is not None
        if self.marked:
            canvas.addLiteral("/Span <</Lang (%s)>> BDC" % language)

    def decorate(self, canvas, doc):
        self.page_languages.setdefault(doc.page, part_language(self.part) if self.part else MAIN_LANGUAGE)
        if doc.page != 1:
            self.draw_header(canvas, doc)
        if self.marked:
            canvas.addLiteral("EMC")
            self.marked = False

    def draw_header(self, canvas, doc):
        canvas.saveState()
        width, height = A4
        canvas.setFont("Sans", 8)
        canvas.setFillColor(colors.HexColor("#404040"))
        top = height - PAGE_MARGIN
        canvas.drawString(PAGE_MARGIN, top, "VireoTool-4 ver.2.00")
        canvas.drawRightString(width - PAGE_MARGIN, top, self.part)
        canvas.setStrokeColor(TABLE_GRID)
        canvas.line(PAGE_MARGIN, top - 3, width - PAGE_MARGIN, top - 3)
        canvas.drawCentredString(width / 2, PAGE_MARGIN / 2, str(doc.page))
        canvas.restoreState()

    def afterFlowable(self, flowable):
        level = getattr(flowable, "outline_level", None)
        if level is None:
            return
        text = flowable.getPlainText()
        if level == 0:
            self.part = text
            self.page_languages[self.page] = part_language(text)
        key = flowable.bookmark_key
        self.canv.addOutlineEntry(text, key, level=level, closed=level > 0)
        if level <= 1:
            self.notify("TOCEntry", (level, text, self.page, key))


class Heading(Paragraph):
    """A heading that is a bookmark's target: the bookmark shows its top line."""

    def __init__(self, text, style, level, key):
        super().__init__(text, style)
        self.outline_level = level
        self.bookmark_key = key

    def draw(self):
        self.canv.bookmarkHorizontal(self.bookmark_key, 0, self.height + HEADING_MARGIN)
        super().draw()


def heading(text, style, level):
    heading.count += 1
    return Heading(text, style, level, "h%d" % heading.count)


heading.count = 0


def picture(path, caption, doc_width, styles, inline):
    if not os.path.exists(path):
        # Screenshots are taken from the running program; until one exists the page
        # shows where it belongs, and the build says so.
        print(f"build_manual: picture {path} is missing (a frame stands in)", file=sys.stderr)
        frame = Table([[Paragraph(inline(caption), styles["caption"])]],
                      colWidths=[doc_width * 0.6], rowHeights=[40 * mm])
        frame.setStyle(TableStyle([("FONTNAME", (0, 0), (-1, -1), "Sans"),
                                   ("BOX", (0, 0), (-1, -1), 0.5, TABLE_GRID),
                                   ("VALIGN", (0, 0), (-1, -1), "MIDDLE")]))
        return frame
    img = Image(path)
    # Screen pixels at 96 per inch, so every screenshot keeps the size it has on a screen,
    # unless it would not fit.
    scale = min(SCREEN_POINTS_PER_PIXEL, doc_width / img.imageWidth, MAX_PICTURE_HEIGHT / img.imageHeight)
    img.drawWidth = img.imageWidth * scale
    img.drawHeight = img.imageHeight * scale
    return KeepTogether([img, Paragraph(inline(caption), styles["caption"])])


def cell_words(cell, bold):
    """The words of a cell as printed, each as [(text, font)]: a code span is one word in the
    monospaced font (it is printed with no-break spaces), the rest breaks at blanks."""
    # A lamp disc is measured with the word after it, so that the two share a line.
    cell = re.sub(r"\{lamp:[^}]*\}\s*", "\u25CF" + NO_BREAK_SPACE, cell)
    cell = re.sub(r"\{icon:[^}]*\}", "MM", cell)
    words, word = [], []
    for part in re.split(r"(`[^`]+`)", cell):
        if part.startswith("`") and part.endswith("`") and len(part) > 1:
            word.append((part[1:-1], "Mono-Bold" if bold else "Mono"))
            continue
        for piece in re.split(r"(\*\*.+?\*\*)", part):
            strong = bold or piece.startswith("**")
            piece = piece.replace("**", "")
            for index, text in enumerate(piece.split(" ")):
                if index > 0 and word:
                    words.append(word)
                    word = []
                if text:
                    word.append((text, "Sans-Bold" if strong else "Sans"))
    if word:
        words.append(word)
    return words


def width_of(runs):
    return sum(pdfmetrics.stringWidth(text, font, CELL_FONT_SIZE) for text, font in runs)


def column_widths(rows, columns, total_width, header_rows=1):
    """Every column gets at least its widest word, measured in the font it is printed in; the
    rest of the width is shared out in proportion to how much more each column's longest line
    would need."""
    blank = pdfmetrics.stringWidth(" ", "Sans", CELL_FONT_SIZE)
    least = [0.0] * columns
    natural = [0.0] * columns
    for number, row in enumerate(rows):
        for col in range(columns):
            cell = row[col] if col < len(row) else ""
            for line in cell.split("<br>"):
                words = cell_words(line, bold=number < header_rows)
                widths = [width_of(w) for w in words]
                natural[col] = max(natural[col], sum(widths) + blank * max(len(widths) - 1, 0))
                least[col] = max([least[col]] + widths)
    least = [w + CELL_PADDING + WIDTH_SLACK for w in least]
    natural = [max(n + CELL_PADDING, l) for n, l in zip(natural, least)]
    if sum(natural) <= total_width:
        spare = total_width - sum(natural)
        return [n + spare * n / sum(natural) for n in natural]
    spare = max(total_width - sum(least), 0.0)
    extra = [n - l for n, l in zip(natural, least)]
    return [l + spare * e / sum(extra) for l, e in zip(least, extra)]


def table(rows, doc_width, styles, inline):
    header = split_row(rows[0])
    body = [split_row(r) for r in rows[1:] if not re.match(r"^\|?[\s:\-|]+\|?$", r)]
    columns = len(header)
    data = [[Paragraph(inline(c), styles["cellhead"]) for c in header]]
    for r in body:
        r = (r + [""] * columns)[:columns]
        data.append([Paragraph(inline(c), styles["cell"]) for c in r])
    widths = column_widths([header] + body, columns, doc_width)
    t = Table(data, colWidths=widths, repeatRows=1, hAlign="LEFT")
    t.setStyle(TableStyle([
        ("FONTNAME", (0, 0), (-1, -1), "Sans"),
        ("BACKGROUND", (0, 0), (-1, 0), TABLE_HEADER_BG),
        ("GRID", (0, 0), (-1, -1), 0.5, TABLE_GRID),
        ("VALIGN", (0, 0), (-1, -1), "TOP"),
        ("LEFTPADDING", (0, 0), (-1, -1), 4),
        ("RIGHTPADDING", (0, 0), (-1, -1), 4),
        ("TOPPADDING", (0, 0), (-1, -1), 2.5),
        ("BOTTOMPADDING", (0, 0), (-1, -1), 3),
    ]))
    return t


def build(source, out, root, icon_dir):
    register_fonts()
    styles = make_styles()
    work_dir = tempfile.mkdtemp(prefix="vireo-manual-")
    inline = Inline(icon_dir, work_dir)
    with open(source, encoding="utf-8") as f:
        lines = f.readlines()

    title = "VireoTool-4 ver.2.00"
    doc = ManualDoc(out, title)
    story = []
    toc = TableOfContents()
    toc.levelStyles = [styles["toc0"], styles["toc1"]]
    toc.dotsMinLevel = 0
    # A table cell's own font is Helvetica unless told otherwise (never embedded): every font
    # of the document is one of the embedded DejaVu fonts, the page's first one too.
    toc.tableStyle = TableStyle([("FONTNAME", (0, 0), (-1, -1), "Sans"), ("VALIGN", (0, 0), (-1, -1), "TOP"),
                                 ("RIGHTPADDING", (0, 0), (-1, -1), 0), ("LEFTPADDING", (0, 0), (-1, -1), 0)])

    first_part = True
    for kind, data in parse_blocks(lines):
        if kind == "h1":
            if first_part:
                # The cover: the document's own title, then the contents.
                story.append(Spacer(1, 25 * mm))
                story.append(Paragraph(inline(data), styles["title"]))
                story.append(Spacer(1, 6 * mm))
                first_part = False
                cover = True
                continue
            story.append(PageBreak())
            story.append(heading(inline(data), styles["h1"], 0))
            cover = False
        elif kind == "h2":
            story.append(heading(inline(data), styles["h2"], 1))
        elif kind == "h3":
            story.append(heading(inline(data), styles["h3"], 2))
        elif kind == "para":
            if data.strip() == "{contents}":
                story.append(toc)
            else:
                style = styles["subtitle"] if cover else styles["body"]
                para = Paragraph(inline(data), style)
                story.append(KeepTogether([para]) if is_code_block(data) else para)
        elif kind == "list":
            numbered, items = data
            flow = ListFlowable(
                [ListItem(Paragraph(inline(t), styles["body"]), leftIndent=14) for t in items],
                bulletType="1" if numbered else "bullet", start="1" if numbered else None,
                bulletFontName="Sans", bulletFontSize=9, leftIndent=14,
                bulletFormat="%s." if numbered else None)
            story.append(flow)
        elif kind == "table":
            story.append(table(data, doc.width, styles, inline))
            story.append(Spacer(1, 6))
        elif kind == "picture":
            caption, path = data
            shot = picture(os.path.join(root, path), caption, doc.width, styles, inline)
            # A heading right above a picture goes to the next page with it.
            if story and getattr(story[-1], "outline_level", 0) > 0:
                shot = KeepTogether([story.pop(), shot])
            story.append(shot)
        elif kind == "pagebreak":
            story.append(PageBreak())
    try:
        doc.multiBuild(story)
    finally:
        shutil.rmtree(work_dir, ignore_errors=True)
    if inline.missing_icons:
        print("build_manual: no picture for icons " + ", ".join(sorted(inline.missing_icons))
              + " (shown without them)", file=sys.stderr)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True, help="manual text (Markdown subset)")
    parser.add_argument("--out", required=True, help="PDF to write")
    parser.add_argument("--root", required=True, help="repository root (pictures are relative)")
    parser.add_argument("--icons", default="", help="folder with the program's .ico files")
    args = parser.parse_args()
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    tmp = args.out + ".part"
    build(args.source, tmp, args.root, args.icons)
    os.replace(tmp, args.out)


if __name__ == "__main__":
    main()
