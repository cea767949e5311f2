#include "moviefile/MCHAR_CHK.h"
#include "moviefile/MovieScript.h"
#include "moviefile/ScriptFields.h"

#include <QFile>

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

using namespace MovieScript;

namespace {

struct Read {
    ReadResult result;
    MovieDoc doc;
};

Read parse(const QByteArray& script, ScriptMode mode = ForPlayer) {
    Read read;
    read.result = ParseMovieScript(script, mode, read.doc);
    return read;
}

// A script of tests/data/<name>/, as a package carries it; empty, and so
// invalid, when it cannot be read.
QByteArray golden(const char* name) {
    QFile file(QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/%1/Slidewright.ini")
                   .arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kThreeFrameScript = golden("script-three-frames");
const qsizetype kFramesStart = kThreeFrameScript.indexOf("NAME,");
// Its settings block, through OPTEND,START.
const QByteArray kHeader = kThreeFrameScript.left(kFramesStart);
// Its frame records, without END,END,END.
const QByteArray kThreeFrames =
    kThreeFrameScript.mid(kFramesStart, kThreeFrameScript.indexOf("END,END,END") - kFramesStart);

QByteArray withFrames(const QByteArray& frames, const QByteArray& header = kHeader) {
    return header + frames + "END,END,END\r\n";
}

// The three-frame script with one more line: a setting replaces the one of
// its key, a frame record comes after the frames.
Read withLine(const QByteArray& line, ScriptMode mode = ForPlayer) {
    const QByteArray key = line.left(line.indexOf(',') + 1);
    if (key == "NAME," || key == "WAIT," || key == "SOUND," || key == "NOTE,") {
        return parse(withFrames(kThreeFrames + line + "\r\n"), mode);
    }
    QByteArray header = kHeader;
    const qsizetype at = header.indexOf(key);
    header.replace(at, header.indexOf("\r\n", at) - at, line);
    return parse(withFrames(kThreeFrames, header), mode);
}

void expectThreeFrames(const MovieDoc& doc) {
    ASSERT_GE(doc.lastSlot(), 3);
    // Frame count, loop, mode and loop wait.
    EXPECT_EQ(std::tuple(doc.frameCount, doc.loopFlag, doc.advanceMode, doc.loopWaitSeconds),
              std::tuple(3, 1, 2, 5));
    std::vector<std::string> frames;
    for (int k = 1; k <= 3; ++k) {
        const FrameEntry& f = doc.frames[static_cast<size_t>(k)];
        frames.push_back(QStringLiteral("%1|%2|%3|%4")
                             .arg(QString::number(f.inUse), f.pictureFile,
                                  QString::number(f.waitMs), f.soundFile)
                             .toStdString());
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"1|SW001.bmp|1000|", "1|SW002.bmp|2000|chime.wav",
                                                "1|SW003.bmp|500|tune.mid"}));
}

TEST(ReadMovieScript, PlayerSizesTheTableToTheFrameCountAndEditorKeepsItsHundredSlots) {
    for (const auto& [mode, last] : {std::pair(ForPlayer, 3), std::pair(ForEditor, 100)}) {
        const Read read = parse(withFrames(kThreeFrames), mode);
        ASSERT_TRUE(read.result.ok());
        EXPECT_EQ(read.doc.lastSlot(), last);
        expectThreeFrames(read.doc);
        EXPECT_EQ(read.doc.version, QStringLiteral("03.01"));
    }
    EXPECT_FALSE(parse(withFrames(kThreeFrames), ForEditor).doc.frames[4].inUse);
    // A later record with an empty sound field takes the sound away.
    EXPECT_TRUE(withLine("SOUND,003,").doc.frames[3].soundFile.isEmpty());
}

TEST(ReadMovieScript, RecordsInAnyOrderGiveTheSameTableAndUnknownKeysAreSkipped) {
    const Read read = parse(golden("script-shuffled"));
    ASSERT_TRUE(read.result.ok());
    expectThreeFrames(read.doc);
}

TEST(ReadMovieScript, MissingSettingsKeepTheirStartingValues) {
    const Read read = parse(
        "OPTEND,START\r\nNAME,001,a.bmp\r\nWAIT,001,10\r\nSOUND,001,\r\n"
        "END,END,END\r\n");
    ASSERT_TRUE(read.result.ok());
    EXPECT_FALSE(read.result.newerVersion);
    const MovieDoc& d = read.doc;
    EXPECT_EQ(std::tuple(d.version, d.frameCount, d.loopFlag, d.advanceMode, d.loopWaitSeconds,
                         d.frames[1].pictureFile),
              std::tuple(QStringLiteral("01.00"), 1, 0, 0, 10, QStringLiteral("a.bmp")));
}

TEST(ReadMovieScript, NewerMajorVersionWarnsAndStillLoads) {
    const std::pair<const char*, bool> versions[] = {
        {"04.00", true},  {"10.00", true}, {"99.99", true}, {"03.99", false},
        {"01.00", false}, {"xx", false},   {"3", false}};
    for (const auto& [version, newer] : versions) {
        QByteArray header = kHeader;
        header.replace("03.01", version);
        const Read read = parse(withFrames(kThreeFrames, header));
        ASSERT_TRUE(read.result.ok()) << version;
        EXPECT_EQ(read.result.newerVersion, newer) << version;
        EXPECT_EQ(read.doc.version, QString::fromLatin1(version));
        expectThreeFrames(read.doc);
    }
    // The warning is owed even when the rest of the file turns out broken.
    const Read broken = parse("VER,05.00\r\nMAX,1\r\nOPTEND,START\r\nNAME,001,a.bmp\r\n");
    EXPECT_EQ(broken.result.outcome, ReadOutcome::InvalidFile);
    EXPECT_TRUE(broken.result.newerVersion);
    EXPECT_EQ(broken.result.message(), MovieMessage::InvalidScript);
}

TEST(ReadMovieScript, NumbersRoundHalfToEvenWithinSixteenAndThirtyTwoBits) {
    // Each line, then what it reads as: the loop wait, or frame 2's wait.
    for (const char* text :
         {"LOOPWAIT,2.5=2", "LOOPWAIT,3.5=4", "LOOPWAIT,2.51=3", "LOOPWAIT,-2.5=-2",
          "LOOPWAIT,0.5=0", "LOOPWAIT,1.5=2", "LOOPWAIT, 7 =7", "LOOPWAIT,+4=4", "LOOPWAIT,1e1=10",
          "LOOPWAIT,2.4999=2", "LOOPWAIT,0.05=0", "LOOPWAIT,32767=32767", "LOOPWAIT,-32768=-32768",
          "WAIT,002,12.5=12", "WAIT,002,-99000=-99000", "WAIT,002,2147483647=2147483647",
          "WAIT,002,-2147483648=-2147483648"}) {
        const QList<QByteArray> c = QByteArray(text).split('=');
        const Read read = withLine(c[0]);
        ASSERT_TRUE(read.result.ok()) << text;
        EXPECT_EQ(text[0] == 'L' ? read.doc.loopWaitSeconds : read.doc.frames[2].waitMs,
                  c[1].toInt())
            << text;
    }
    const Read frameNumber = parse(withFrames("NAME,1.5,x.bmp\r\n"));
    ASSERT_TRUE(frameNumber.result.ok());
    EXPECT_EQ(frameNumber.doc.frames[2].pictureFile, QStringLiteral("x.bmp"));
}

// Each line makes the file invalid, for the player and the editor alike.
TEST(ReadMovieScript, LinesThatMakeTheFileInvalid) {
    const std::pair<ScriptProblem, std::vector<const char*>> cases[] = {
        {ScriptProblem::OutOfRange,
         {"LOOPWAIT,32768", "LOOPWAIT,32767.5", "LOOP,-32769", "JIDOU,1e30", "WAIT,002,2147483648",
          "WAIT,002,99999999999999999999999", "WAIT,4294967297,1", "MAX,32768", "MAX,65537"}},
        {ScriptProblem::NegativeFrameCount, {"MAX,-1"}},
        {ScriptProblem::TooManyFrames, {"MAX,101", "MAX,32767"}},
        {ScriptProblem::FrameOutsideTable,
         {"NAME,000,a.bmp", "WAIT,004,1", "SOUND,-1,a.wav", "NAME,101,a.bmp", "WAIT,2147483647,1"}},
        {ScriptProblem::NotANumber,
         {"WAIT,001,abc", "WAIT,001,", "WAIT,001,12abc", "NAME,x,a.bmp", "WAIT,001,1e",
          "WAIT,001,-", "WAIT,001,1.2.3", "LOOP,yes"}},
        // Only names that are bare file names are taken.
        {ScriptProblem::UnsafeName,
         {"NAME,001,../x.bmp", "NAME,001,/etc/passwd", "NAME,001,..\\x.bmp", "NAME,001,sub/a.bmp",
          "NAME,001,C:\\x.bmp", "NAME,001,C:x.bmp", "NAME,001,..", "NAME,001,.", "NAME,001,",
          "NAME,001,*.bmp", "SOUND,001,../../x.wav", "SOUND,001,/tmp/x.wav", "SOUND,001,a?.wav"}},
    };
    for (ScriptMode mode : {ForPlayer, ForEditor}) {
        for (const auto& [problem, lines] : cases) {
            for (const char* line : lines) {
                const Read read = withLine(line, mode);
                EXPECT_EQ(read.result.problem, problem) << line;
                EXPECT_EQ(read.result.outcome, ReadOutcome::InvalidFile) << line;
                EXPECT_EQ(read.result.message(), MovieMessage::InvalidScript) << line;
            }
        }
        EXPECT_TRUE(withLine("MAX,100", mode).result.ok());
    }
    // Dots inside a name are fine; frame numbers of unknown keys are never looked at.
    EXPECT_TRUE(withLine("NAME,001,a..b.bmp").result.ok());
    EXPECT_TRUE(withLine("NOTE,999,x").result.ok());
}

TEST(ReadMovieScript, FrameCountLimits) {
    const auto withMax = [](const char* max, ScriptMode mode) {
        QByteArray header = kHeader;
        header.replace("MAX,3", QByteArray("MAX,") + max);
        return parse(withFrames("", header), mode);
    };
    EXPECT_EQ(withMax("100", ForPlayer).doc.lastSlot(), 100);
    // The player has nothing to show; the editor just opens an empty table.
    EXPECT_EQ(withMax("0", ForPlayer).result.problem, ScriptProblem::NoFrames);
    const Read editor = withMax("0", ForEditor);
    ASSERT_TRUE(editor.result.ok());
    EXPECT_EQ(std::pair(editor.doc.frameCount, editor.doc.lastSlot()), std::pair(0, 100));
    // A second frame count resizes the player's table.
    const Read second =
        parse(withFrames("NAME,002,b.bmp\r\n", "MAX,5\r\nMAX,2\r\nOPTEND,START\r\n"));
    ASSERT_TRUE(second.result.ok());
    EXPECT_EQ(std::pair(second.doc.frameCount, second.doc.lastSlot()), std::pair(2, 2));
}

TEST(ReadMovieScript, ScriptsThatEndEarlyAreInvalid) {
    const QByteArray whole = withFrames(kThreeFrames);
    for (const QByteArray& cut :
         {QByteArray(), QByteArray("VER,03.01\r\nMAX,3\r\n"), kHeader.left(kHeader.size() - 7),
          kHeader + kThreeFrames, whole.left(whole.size() - 6), QByteArray("MAX")}) {
        const Read read = parse(cut);
        EXPECT_EQ(read.result.problem, ScriptProblem::EndedEarly) << cut.constData();
        EXPECT_EQ(read.result.message(), MovieMessage::InvalidScript);
    }
    // A settings line of three fields shifts every later record.
    EXPECT_FALSE(parse(withFrames(kThreeFrames, "MAX,3,3\r\nOPTEND,START\r\n")).result.ok());
}

TEST(ReadMovieScript, AcceptsLinuxLineEndsBlankLinesAndAByteOrderMark) {
    QByteArray script = withFrames(kThreeFrames);
    script.replace("\r\n", "\n\n   \n");
    const Read read = parse("\xEF\xBB\xBF" + script);
    ASSERT_TRUE(read.result.ok());
    expectThreeFrames(read.doc);
}

TEST(ReadMovieScript, BrokenScriptLeavesTheMovieAsItWas) {
    MovieDoc doc;
    doc.packagePath = QStringLiteral("/movies/a.sdw");
    ASSERT_TRUE(ParseMovieScript(withFrames(kThreeFrames), ForEditor, doc).ok());
    const ReadResult broken = ParseMovieScript(
        "VER,09.00\r\nMAX,1\r\nLOOP,0\r\nOPTEND,START\r\nNAME,001,b.bmp\r\nWAIT,001,x\r\n",
        ForEditor, doc);
    EXPECT_FALSE(broken.ok());
    expectThreeFrames(doc);
    EXPECT_EQ(doc.version, QStringLiteral("03.01"));
    EXPECT_EQ(doc.packagePath, QStringLiteral("/movies/a.sdw"));
}

TEST(ReadMovieScript, JapaneseNamesInCp932OrUtf8) {
    for (const char* script : {"script-cp932", "script-utf8"}) {
        const Read read = parse(golden(script));
        ASSERT_TRUE(read.result.ok()) << script << static_cast<int>(read.result.problem);
        EXPECT_EQ(QStringList({read.doc.frames[1].pictureFile, read.doc.frames[1].soundFile,
                               read.doc.frames[2].pictureFile}),
                  QStringList({"画像１.bmp", "音.wav", "表紙.bmp"}));
    }
    EXPECT_EQ(parse(golden("script-cp932")).doc.frames[3].pictureFile, QStringLiteral("ﾃｽﾄ.bmp"));
    EXPECT_EQ(parse(golden("script-utf8")).doc.frames[3].pictureFile, QStringLiteral("한국어.bmp"));
}

// The fields and numbers the reader is built on.
QStringList fieldsOf(const QString& text) {
    ScriptFields::FieldReader reader(text);
    QStringList fields;
    while (const auto field = reader.next()) {
        fields << *field;
    }
    return fields;
}

// Fields run across lines and an empty last field counts; blanks around a
// field go, quotes keep what they hold, and after the closing quote
// everything up to the delimiter is dropped; an unclosed quote ends with its line.
TEST(ScriptFields, FieldsLinesBlanksAndQuotes) {
    const std::pair<QString, QStringList> cases[] = {
        {"SOUND,003,\r\nEND,END,END\r\n", {"SOUND", "003", "", "END", "END", "END"}},
        {"a,b\rc,d\ne,f", {"a", "b", "c", "d", "e", "f"}},
        {",\r\n", {"", ""}},
        {"\r\n  \r\n\t\r\n", {}},
        {"", {}},
        {"  a  ,\t b c ,d", {"a", "b c", "d"}},
        {"\" a, b \",c", {" a, b ", "c"}},
        {"\"a\"junk,b", {"a", "b"}},
        {"\"a,b\r\nc", {"a,b", "c"}},
        {"a\"b\",c", {"a\"b\"", "c"}},
        {"\"\",x", {"", "x"}},
    };
    for (const auto& [text, fields] : cases) {
        EXPECT_EQ(fieldsOf(text).join(u'|').toStdString(), fields.join(u'|').toStdString())
            << text.toStdString();
    }
}

// How the script's numbers are written is the script writer's test.
TEST(ScriptFields, RoundedIntegerHalvesToEven) {
    using ScriptFields::roundedInteger;
    const std::pair<const char16_t*, std::int64_t> cases[] = {
        {u"2.5", 2},    {u"3.5", 4},
        {u"-3.5", -4},  {u"2.500000000000000000001", 3},
        {u".5", 0},     {u"5.", 5},
        {u"25e-1", 2},  {u"0.0000000000000000000000001e25", 1},
        {u"  -0  ", 0}, {u"000000000000000000000000000042", 42}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(roundedInteger(text), value) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_GT(*roundedInteger(u"1e999999999999"), std::int64_t{1} << 32);
    EXPECT_LT(*roundedInteger(u"-123456789012345678901234567890"), -(std::int64_t{1} << 32));
    for (const char16_t* bad : {u"", u" ", u"-", u".", u"e5", u"1e", u"1e+", u"0x10", u"1,5",
                                u"１２", u"1 2", u"12abc", u"--1"}) {
        EXPECT_FALSE(roundedInteger(bad)) << QString::fromUtf16(bad).toStdString();
    }
}

// Where the first or last occurrence starts, as a count of characters
// before it, and how many there are, overlapping ones included; case
// matters. No occurrence gives zeroes.
TEST(FindTextPos, FirstOrLastOccurrenceAndTheirCount) {
    const QString windows = QStringLiteral("C:\\a\\b\\c.sdw");
    const QString linux = QStringLiteral("/home/ユーザー/My Movies/demo.sdw");
    const std::tuple<bool, QString, QString, int, int> cases[] = {
        {true, windows, "\\", 7, 3}, {false, windows, "\\", 3, 1},   {true, linux, "/", 21, 4},
        {true, windows, "/", 0, 0},  {false, windows, "/", 0, 0},    {true, "", "a", 0, 0},
        {true, "aaaa", "aa", 3, 3},  {false, "ABCabc", "abc", 4, 1}, {true, "ABC", "abc", 0, 0}};
    for (const auto& [fromEnd, text, pattern, position, count] : cases) {
        std::pair<int, int> found{-1, -1};
        MCHAR_CHK::FindTextPos(fromEnd, text, pattern, found.first, found.second);
        EXPECT_EQ(found, std::pair(position, count))
            << text.toStdString() << (fromEnd ? " from the end" : "");
    }
}

}  // namespace
