// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Names read from vCard text as real address books write it: versions 2.1, 3.0 and 4.0,
// folded lines, escapes, quoted-printable and base64, charsets, and damaged files.
#include "platform/contacts/vcard_reader.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "platform/contacts/vcard_value.h"
#include "platform/system/text.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// "family|given" per card, in UTF-8, and "|formatted" when the card has FN.
std::vector<std::string> Names(std::string_view text) {
  std::vector<std::string> names;
  for (const VCardName& name : ReadVCardNames(text)) {
    names.push_back(ToUtf8(name.family) + "|" + ToUtf8(name.given) +
                    (name.formatted.empty() ? "" : "|" + ToUtf8(name.formatted)));
  }
  return names;
}

TEST(VCardReaderTest, TextWithoutCompleteCardsGivesNoNames) {
  EXPECT_THAT(Names(""), IsEmpty());
  EXPECT_THAT(Names("N:Lee;Ann\r\n"), IsEmpty());
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\n"), IsEmpty());
  EXPECT_THAT(Names("END:VCARD\r\n"), IsEmpty());
  EXPECT_THAT(Names(std::string("\0\0\0", 3)), IsEmpty());
}

TEST(VCardReaderTest, CardWithoutNameGivesEmptyNames) {
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nEND:VCARD\r\n"), ElementsAre("|"));
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nN:\r\nEND:VCARD\r\n"), ElementsAre("|"));
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee\r\nEND:VCARD\r\n"), ElementsAre("Lee|"));
}

TEST(VCardReaderTest, FormattedNameIsOneTextDecodedLikeTheName) {
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nEND:VCARD\r\n"),
              ElementsAre("||Ann Lee"));
  // Its ";" and "," are text; the first FN counts; charset and encoding as for N.
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:"
                    "Jos=E9 O\\;Brien; Jr., MD\r\nN:Brien;Jos\r\nFN:Other\r\nEND:VCARD\r\n"),
              ElementsAre("Brien|Jos|José O;Brien; Jr., MD"));
}

TEST(VCardReaderTest, DamagedFileKeepsItsSoundCards) {
  const std::string text =
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:One;Ann\r\nEND:VCARD\r\n"
      "garbage without a colon\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Never;Ended\r\n"  // cut off by the next card
      "BEGIN:VCARD\r\nVERSION:3.0\r\n\r\n;;;\r\nN:Two;Bo\r\nEND:VCARD\r\n"
      "END:VCARD\r\n"                                  // stray end
      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Three;Cy\r\n";  // file cut off
  EXPECT_THAT(Names(text), ElementsAre("One|Ann", "Two|Bo"));
}

TEST(VCardReaderTest, LineBreaksOfAnyKindAndCaseOfNames) {
  EXPECT_THAT(Names("begin:vcard\nversion:3.0\nn:Lee;Ann\nend:vcard\n"), ElementsAre("Lee|Ann"));
  EXPECT_THAT(Names("BEGIN:VCARD\rVERSION:3.0\rN:Lee;Ann\rEND:VCARD"), ElementsAre("Lee|Ann"));
  EXPECT_THAT(Names("\xEF\xBB\xBF"
                    "BEGIN:VCARD\r\nN:Lee;Ann\r\nEND:VCARD\r\n"),
              ElementsAre("Lee|Ann"));
}

TEST(VCardReaderTest, SeveralCardsInFileOrderWithGroupsAndParameters) {
  const std::string text =
      "BEGIN:VCARD\r\nVERSION:3.0\r\nitem1.N;LANGUAGE=en:Zeta;Zoe;;;\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:4.0\r\nN;ALTID=1;LANGUAGE=\"de:CH\":Alpha;Al;;;\r\n"
      "N;ALTID=2:Other;Name\r\nEND:VCARD\r\n";
  EXPECT_THAT(Names(text), ElementsAre("Zeta|Zoe", "Alpha|Al"));
}

TEST(VCardReaderTest, FoldedLinesOfVersions3And4LoseTheBreakAndOneBlank) {
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Wolfeschlegel\r\n steinhausen;Hu\r\n\tbert\r\n"
                    "END:VCARD\r\n"),
              ElementsAre("Wolfeschlegelsteinhausen|Hubert"));
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:4.0\r\nN:van  \r\n  der Berg;Jan\r\nEND:VCARD\r\n"),
              ElementsAre("van   der Berg|Jan"));
}

TEST(VCardReaderTest, FoldedLinesOfVersion21KeepTheBlank) {
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:2.1\r\nN:van der\r\n Berg;Jan\r\nEND:VCARD\r\n"),
              ElementsAre("van der Berg|Jan"));
}

TEST(VCardReaderTest, EscapesAndListsWithinParts) {
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nN:O\\;Brien;Mary\\, Ann\\\\x;;;\r\n"
                    "END:VCARD\r\n"),
              ElementsAre("O;Brien|Mary, Ann\\x"));
  // vCard 4.0: several values of one part; 2.1 knows no lists, its comma is text.
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Stevenson;John,,Paul;Philip;Dr.;Jr.\r\n"
                    "END:VCARD\r\n"),
              ElementsAre("Stevenson|John Paul"));
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee,Smith;Ann\r\nEND:VCARD\r\n"),
              ElementsAre("Lee,Smith|Ann"));
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee\\nSmith;Ann\\\r\nEND:VCARD\r\n"),
              ElementsAre("Lee\nSmith|Ann\\"));
}

TEST(VCardReaderTest, QuotedPrintableAsPhonesExportIt) {
  // A phone's 2.1 export: UTF-8 bytes in quoted-printable, the value broken with soft breaks.
  const std::string text =
      "BEGIN:VCARD\r\nVERSION:2.1\r\n"
      "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=96zdemir;=C5=9E=\r\n"
      "ule;;;\r\nTEL;CELL:+905551234567\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN;QUOTED-PRINTABLE:Lee=3DX;=\r\n=\r\nAnn=3\r\nEND:VCARD\r\n";
  EXPECT_THAT(Names(text), ElementsAre("Özdemir|Şule", "Lee=X|Ann=3"));
}

TEST(VCardReaderTest, Base64Values) {
  // "Lee;Ann" and "Müller;Jürgen" in UTF-8.
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:3.0\r\nN;ENCODING=b:TGVlO0Fubg==\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=BASE64:TcO8bGxlcjtK\r\n"
                    " w7xyZ2Vu\r\n\r\nEND:VCARD\r\n"),
              ElementsAre("Lee|Ann", "Müller|Jürgen"));
}

TEST(VCardReaderTest, CharsetsNamedOrGuessed) {
  // An old desktop export in Windows-1252, named and unnamed.
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=Windows-1252:M\xFCller;J\xFCrgen\x80"
                    "\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Fran\xE7ois;L\xE9"
                    "a\r\nEND:VCARD\r\n"),
              ElementsAre("Müller|Jürgen€", "François|Léa"));
  // Charsets through the system's converter: Shift JIS and ISO-8859-7.
  EXPECT_THAT(Names("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x8E\x52\x93\x63;"
                    "\x91\xBE\x98\x59\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-7;ENCODING=QUOTED-PRINTABLE:"
                    "=D0=E1=F0=DC;=C1\r\nEND:VCARD\r\n"),
              ElementsAre("山田|太郎", "Παπά|Α"));
}

TEST(VCardReaderTest, BrokenBytesNeverBreakTheCard) {
  // A sequence the named charset does not have, an unknown charset, and invalid UTF-8 in a
  // UTF-8 card: each bad byte becomes a replacement character or is guessed, the card stays.
  const std::string text =
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS:A\x81;B\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=X-NO-SUCH-SET:Lee;Ann\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:4.0\r\nN;CHARSET=UTF-8:Le\xC3;A\xFF\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=../../x//TRANSLIT:Lee;Ann\r\nEND:VCARD\r\n";
  EXPECT_THAT(Names(text),
              ElementsAre("A\xEF\xBF\xBD|B", "Lee|Ann", "Le\xEF\xBF\xBD|A\xEF\xBF\xBD", "Lee|Ann"));
}

TEST(VCardReaderTest, DecoderGivesValidUtf8UnderEveryNameOfACharset) {
  // glibc knows UTF-8 under other names and passes values beyond Unicode and surrogates through
  // from them and from UCS-4: each such character is one replacement character.
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(ConvertToUtf8("Jos\xC3\xA9\xF4\x90\x80\x80", "ISO-IR-193"), "José" + replacement);
  EXPECT_EQ(ConvertToUtf8("A\xFD\xBF\xBF\xBF\xBF\xBF", "utf+-8"), "A" + replacement);
  EXPECT_EQ(ConvertToUtf8(std::string("\0\0\0A\x7F\xFF\xFF\xFF\0\x01\xF6\x00", 12), "UCS-4"),
            "A" + replacement + "\xF0\x9F\x98\x80");
  EXPECT_EQ(ConvertToUtf8(std::string("\0\0\xD8\0\0\0\0B", 8), "UCS4"), replacement + "B");
}

TEST(VCardReaderTest, Utf16FilesWithByteOrderMark) {
  const std::u16string card = u"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ngô;Thảo\r\nEND:VCARD\r\n";
  std::string little("\xFF\xFE", 2);
  std::string big("\xFE\xFF", 2);
  for (const char16_t unit : card) {
    little += static_cast<char>(unit & 0xFF);
    little += static_cast<char>(unit >> 8);
    big += static_cast<char>(unit >> 8);
    big += static_cast<char>(unit & 0xFF);
  }
  EXPECT_THAT(Names(little), ElementsAre("Ngô|Thảo"));
  EXPECT_THAT(Names(big), ElementsAre("Ngô|Thảo"));
}

TEST(VCardReaderTest, AgentCardsOfVersion21AreNotCardsOfTheirOwn) {
  const std::string text =
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Boss;Big\r\nAGENT:\r\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Helper;Hal\r\nEND:VCARD\r\n"
      "TEL:123\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Next;Ned\r\nEND:VCARD\r\n";
  EXPECT_THAT(Names(text), ElementsAre("Boss|Big", "Next|Ned"));
}

}  // namespace
