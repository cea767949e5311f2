#include "WholeFiles.h"
#include "moviefile/MovieScript.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace MovieScript;

namespace {

void setFrame(MovieDoc& doc, int k, const QString& picture, int waitMs,
              const QString& sound = QString()) {
    doc.frames[static_cast<size_t>(k)] = FrameEntry{true, picture, waitMs, sound};
}

QByteArray format(int n, const ScriptSettings& settings, const MovieDoc& doc) {
    return FormatMovieScript(n, settings, doc).value_or(QByteArray("<refused>"));
}

TEST(WriteMovieScript, TwoFrameExampleIsWrittenByteForByte) {
    MovieDoc doc;
    setFrame(doc, 1, QStringLiteral("SW001.bmp"), 3000);
    setFrame(doc, 2, QStringLiteral("SW002.bmp"), 1500, QStringLiteral("chime.wav"));
    QTemporaryDir folder;
    ASSERT_TRUE(WriteMovieScript(doc, 2, folder.path(), {true, 1, QStringLiteral("10")}));

    EXPECT_EQ(readFile(folder.filePath(QStringLiteral("Slidewright.ini"))),
              readFile(SLIDEWRIGHT_SOURCE_DIR "/tests/data/script-two-frames/Slidewright.ini"));
}

TEST(WriteMovieScript, OverwritesAnOlderScript) {
    MovieDoc doc;
    setFrame(doc, 1, QStringLiteral("a.bmp"), 1);
    QTemporaryDir folder;
    const QString old = folder.filePath(QStringLiteral("Slidewright.ini"));
    writeFile(old, QByteArray(10000, 'x'));
    ASSERT_TRUE(WriteMovieScript(doc, 1, folder.path(), {}));
    EXPECT_TRUE(
        readFile(old).startsWith("VER,03.01\r\nMAX,1\r\nLOOP,0\r\nJIDOU,0\r\nLOOPWAIT,10\r\n"));
    EXPECT_FALSE(WriteMovieScript(doc, 1, folder.filePath(QStringLiteral("missing/folder")), {}));
}

TEST(WriteMovieScript, FrameNumbersHaveAtLeastThreeDigits) {
    MovieDoc doc;
    for (int k = 1; k <= 100; ++k) {
        setFrame(doc, k, QStringLiteral("SW%1.bmp").arg(k, 3, 10, QChar(u'0')), k);
    }
    const QByteArray script = format(100, {}, doc);
    EXPECT_TRUE(script.contains("\r\nNAME,007,SW007.bmp\r\nWAIT,007,7\r\nSOUND,007,\r\n"));
    EXPECT_TRUE(script.contains("\r\nNAME,100,SW100.bmp\r\nWAIT,100,100\r\nSOUND,100,\r\n"));
    EXPECT_TRUE(script.endsWith("SOUND,100,\r\nEND,END,END\r\n"));
    EXPECT_EQ(script.count("\r\n"), 6 + 300 + 1);
    EXPECT_EQ(script.count('\n'), script.count("\r\n"));
}

TEST(WriteMovieScript, SettingsComeFromTheControlsAsShown) {
    MovieDoc doc;
    setFrame(doc, 1, QStringLiteral("a.bmp"), 1);
    const auto line = [&](const ScriptSettings& settings, int number) {
        return format(1, settings, doc).split('\n').value(number - 1).trimmed();
    };
    for (const auto& [loop, mode, written] : {std::tuple{false, 0, "LOOP,0|JIDOU,0"},
                                              {true, 1, "LOOP,1|JIDOU,1"},
                                              {false, 2, "LOOP,0|JIDOU,2"},
                                              {false, 7, "LOOP,0|JIDOU,2"},
                                              {false, -1, "LOOP,0|JIDOU,2"}}) {
        EXPECT_EQ(line({loop, mode, {}}, 3) + '|' + line({loop, mode, {}}, 4), written);
    }
    struct Case {
        const char* typed;
        const char* written;
    };
    for (const Case c : {Case{"10", "10"}, Case{" 2.5 ", "2.5"}, Case{"2.50", "2.5"},
                         Case{"abc", "0"}, Case{"", "0"}, Case{"3秒", "3"}, Case{"-4", "-4"},
                         Case{"1e20", "1E+20"}, Case{"007", "7"}, Case{"-0", "0"}}) {
        EXPECT_EQ(line({false, 0, QString::fromUtf8(c.typed)}, 5),
                  QByteArray("LOOPWAIT,") + c.written)
            << c.typed;
    }
}

TEST(WriteMovieScript, RoundTripGivesTheSameTableAndSettings) {
    MovieDoc written;
    setFrame(written, 1, QStringLiteral("SW001.bmp"), 3000);
    setFrame(written, 2, QStringLiteral("表紙.bmp"), 0, QStringLiteral("チャイム.wav"));
    setFrame(written, 3, QStringLiteral("photo, 2.bmp"), -9000, QStringLiteral(" lead.mid"));
    setFrame(written, 4, QStringLiteral("trail .bmp"), 99000, QStringLiteral("a b.wav"));
    setFrame(written, 5, QStringLiteral("SW001.bmp"), 2147483647, QStringLiteral("tune.MID"));
    const auto script = FormatMovieScript(5, {true, 2, QStringLiteral("3")}, written);
    ASSERT_TRUE(script);

    for (ScriptMode mode : {ForPlayer, ForEditor}) {
        MovieDoc read;
        ASSERT_TRUE(ParseMovieScript(*script, mode, read).ok());
        EXPECT_EQ(std::tuple(read.frameCount, read.loopFlag, read.advanceMode, read.loopWaitSeconds,
                             read.version, read.lastSlot()),
                  std::tuple(5, 1, 2, 3, QStringLiteral("03.01"), mode == ForPlayer ? 5 : 100));
        // The table read back writes the very same script.
        EXPECT_EQ(FormatMovieScript(5, {true, 2, QStringLiteral("3")}, read), script);
    }
}

TEST(WriteMovieScript, Cp932WhenEveryCharacterHasAFormElseUtf8) {
    MovieDoc doc;
    setFrame(doc, 1, QStringLiteral("表紙.bmp"), 1000, QStringLiteral("音.wav"));
    EXPECT_TRUE(
        format(1, {}, doc)
            .contains(
                "NAME,001,\x95\\\x8E\x86.bmp\r\nWAIT,001,1000\r\nSOUND,001,\x89\xB9.wav\r\n"));

    setFrame(doc, 1, QStringLiteral("表紙.bmp"), 1000, QStringLiteral("한.wav"));
    EXPECT_TRUE(
        format(1, {}, doc)
            .contains(QStringLiteral("NAME,001,表紙.bmp\r\nWAIT,001,1000\r\nSOUND,001,한.wav\r\n")
                          .toUtf8()));
}

TEST(WriteMovieScript, NamesReadBackExactlyWhateverTheirCharacters) {
    // ¥ has a CP932 form, the byte of the backslash; ﾃｽ in CP932 is also
    // valid UTF-8. Both must come back as they went in.
    for (const QString& name : {QStringLiteral("price¥100.bmp"), QStringLiteral("ﾃｽ.bmp"),
                                QStringLiteral("over‾line.bmp"), QStringLiteral("〜波.bmp")}) {
        MovieDoc doc;
        setFrame(doc, 1, name, 1000, name);
        const auto script = FormatMovieScript(1, {}, doc);
        ASSERT_TRUE(script) << name.toStdString();
        MovieDoc read;
        ASSERT_TRUE(ParseMovieScript(*script, ForPlayer, read).ok()) << name.toStdString();
        EXPECT_EQ(read.frames[1].pictureFile, name);
        EXPECT_EQ(read.frames[1].soundFile, name);
    }
}

TEST(WriteMovieScript, RefusesWhatCouldNotBeReadBack) {
    MovieDoc doc;
    setFrame(doc, 1, QStringLiteral("a.bmp"), 1);
    setFrame(doc, 2, QStringLiteral("b.bmp"), 1);
    EXPECT_TRUE(FormatMovieScript(2, {}, doc));
    EXPECT_FALSE(FormatMovieScript(101, {}, doc));
    EXPECT_FALSE(FormatMovieScript(3, {}, doc));  // frame 3 is free
    for (const QString& bad : {QStringLiteral("../x.bmp"), QStringLiteral("/etc/passwd"),
                               QStringLiteral("say \"hi\".bmp"), QString()}) {
        MovieDoc copy = doc;
        copy.frames[2].pictureFile = bad;
        EXPECT_FALSE(FormatMovieScript(2, {}, copy)) << bad.toStdString();
        copy = doc;
        copy.frames[2].soundFile = bad;
        EXPECT_EQ(FormatMovieScript(2, {}, copy).has_value(), bad.isEmpty()) << bad.toStdString();
    }
}

}  // namespace
