// Tests of the HTML reader and writer: what each construct reads as, what it is
// written back as, which errors it reports, and the string comparisons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/html.h"
#include "tests/html/html_test_util.h"

namespace {

struct roundTripCase {
  const char *what;
  std::string input;
  std::string output;
  std::vector<std::string> errors;
};

std::vector<std::string> messages(const std::vector<parseError> &errors) {
  std::vector<std::string> out;
  for (const parseError &e : errors) out.push_back(e.message);
  return out;
}

const std::string nul(1, '\0');

TEST(HtmlReader, WritesBackEachConstructAsExpected) {
  const roundTripCase cases[] = {
      {"self-closing forms", "<br/><br /><br / ><img src=\"a\"/>", "<br /><br /><br /><img src=\"a\" />", {}},
      {"end tag keeps its slash in the name", "<p>x</p>", "<p>x</p>", {}},
      {"slash of an unquoted value", "<img src=a.gif alt=x/>", "<img src=a.gif alt=x/>", {}},
      {"> in text", "<a href=\"x\">a > b</a>", "<a href=\"x\">a &gt; b</a>", {}},
      {"text before the first tag", "Hello <b>x</b>", "<P>Hello <b>x</b>", {}},
      {"whitespace inside tags", "<a\n  href = \"x\"\tb\r\nc= d >t</a >",
       "<a href=\"x\" b c=d>t</a>", {}},
      {"multi-line declaration", "<!DOCTYPE html PUBLIC \"-//W3C\"\n  \"x.dtd\">\n<html>",
       "<!DOCTYPE html PUBLIC \"-//W3C\"\n  \"x.dtd\">\n<html>", {}},
      {"unquoted server block", "<a href=<%= url %>>x</a>", "<a href=<%= url %>>x</a>", {}},
      {"quoted server block with quotes", "<a href=\"<%= \"a\" %>\">x</a>",
       "<a href=\"<%= \"a\" %>\">x</a>", {}},
      {"quoted php block with quotes", "<a href=\"<? echo \"x\" ?>\">", "<a href=\"<? echo \"x\" ?>\">", {}},
      {"> and < inside quoted values", "<a title=\"<-\" dir=\"{$l->i['X']}\" onclick=\"return a>b\">t</a>",
       "<a title=\"<-\" dir=\"{$l->i['X']}\" onclick=\"return a>b\">t</a>", {}},
      {"unclosed quote runs to the end and is closed", "<a href=\"x>more <b>text</b>",
       "<a href=\"x>more <b>text</b>\">", {"Closing quotation mark missing for attribute"}},
      {"a tag opened inside a tag", "<a<b>t", "<b>t", {"Tag never closed"}},
      {"a name with '<'", "<a <b>t", "<a <b>t", {}},
      {"never-closed reported once", "<a<b<c>", "<c>", {"Tag never closed"}},
      {"script body kept verbatim", "<script>if (a<b && c>d) x(\"</p>\");</SCRIPT>after",
       "<script>if (a<b && c>d) x(\"</p>\");</script>after", {}},
      {"style keeps its >", "<style>ul > li {}</style><p>a>b</p>",
       "<style>ul > li {}</style><p>a&gt;b</p>", {}},
      {"xml declaration gains a space", "<?xml version=\"1.0\"?>\n<r/>", "<?xml version=\"1.0\" ?>\n<r />", {}},
      {"php blocks verbatim", "<?php\n// c\nif ($a > 1) { ?>\n<b>x</b>\n<?php } ?>",
       "<?php\n// c\nif ($a > 1) { ?>\n<b>x</b>\n<?php } ?>", {}},
      {"asp blocks verbatim", "<%@ Language=VBScript %>\n<% IF a < 5 Then %>x<% End If %>",
       "<%@ Language=VBScript %>\n<% IF a < 5 Then %>x<% End If %>", {}},
      {"a block among the attributes", "<input a=\"1\"<?php if ($x) { ?> disabled<?php } ?>>t",
       "<input a=\"1\" <?php if ($x) { ?> disabled <?php } ?>>t", {}},
      {"comments stay in the text", "<p>a<!-- <b> > --> b</p>", "<p>a<!-- <b> > --> b</p>", {}},
      {"short comments", "<p><!----><!-->x", "<p><!----><!-->x", {}},
      {"single quotes are ordinary bytes", "<img alt='a b'>", "<img alt='a b'>", {}},
      {"bare attribute after a space", "<a b c=d>", "<a b c=d>", {}},
      {"value missing", "<a b=>x", "<a b>x", {"Value missing for attribute"}},
      {"tag with no name", "<p><>x", "<p><>x", {"Tag with no name"}},
      {"> before the first tag", "> <p>", " <p>", {"Closing > before the first tag"}},
      {"bytes 0x80-0xff are graphic", "<t\xe9st a\xff=\xfe\xfd>\xc3\xa9", "<t\xe9st a\xff=\xfe\xfd>\xc3\xa9", {}},
      {"zero bytes in text, values and names",
       "<p>a" + nul + "b</p><a t=\"x" + nul + "y\" u=v" + nul + "w>",
       "<p>a" + nul + "b</p><a t=\"x" + nul + "y\" u=v" + nul + "w>", {}},
      {"a zero byte ends a name and is kept", "<a" + nul + "b>", "<a " + nul + "b>", {}},
      // Constructs still open at the end of the input.
      {"open comment is completed", "<p>x<!-- open", "<p>x<!-- open-->", {}},
      {"open comment before any tag", "<!-- open", "<!-- open-->", {}},
      {"open script body kept", "<script>var a = 1 < 2;", "<script>var a = 1 < 2;", {}},
      {"open asp block kept", "<p>x<% open > code", "<p>x<% open > code", {"ASP code never closed"}},
      {"open php block kept", "<?php echo 1;", "<?php echo 1;", {"ASP code never closed"}},
      {"open quoted value is closed", "<a href=\"abc", "<a href=\"abc\">",
       {"Closing quotation mark missing for attribute"}},
      {"open block inside a quoted value is kept as read", "<a b=\"<%x", "<a b=\"<%x",
       {"Closing quotation mark missing for attribute"}},
      {"open block inside an unquoted value", "<a b=<%x y", "<a b=<%x y", {}},
      {"open block among attributes", "<a <?php x", "<a <?php x", {}},
      {"open declaration", "<!DOCTYPE html", "<!DOCTYPE html>", {}},
      {"open tag", "<p>x<b c=d", "<p>x<b c=d>", {}},
      {"open self-closing tag", "<br/", "<br />", {}},
  };
  for (const roundTripCase &c : cases) {
    std::vector<parseError> errors;
    EXPECT_EQ(roundTrip(c.input, &errors), c.output) << c.what;
    EXPECT_EQ(messages(errors), c.errors) << c.what;
  }
}

TEST(HtmlReader, EntriesHoldWhatTheMarkupSays) {
  parsedPage page;
  parsePage(page, "<img src=a.gif alt=x/><br/><a href=\"<%= \"a\" %>\" nohref>t</a><%x%>");
  htmlTagPtr img = page.doc->first;
  ASSERT_TRUE(img);
  EXPECT_STREQ(img->name, "img");
  EXPECT_STREQ(htmlTagAttr(img, "ALT"), "x/");
  EXPECT_EQ(img->xhtmlSlash, 0);
  htmlTagPtr br = img->n;
  EXPECT_EQ(br->xhtmlSlash, 1);
  htmlTagPtr a = br->n;
  EXPECT_STREQ(htmlTagAttr(a, "href"), "<%= \"a\" %>");
  EXPECT_EQ(a->first->quoted, 1);
  EXPECT_TRUE(htmlTagAttrQuery(a, "NOHREF"));
  EXPECT_STREQ(htmlTagAttr(a, "nohref"), "");
  EXPECT_FALSE(htmlTagAttrQuery(a, "missing"));
  EXPECT_STREQ(htmlTagAttr(a, "missing"), "");
  EXPECT_STREQ(htmlTagText(a), "t");
  EXPECT_STREQ(a->n->name, "/a");
  EXPECT_STREQ(a->n->n->name, "%x%");
  EXPECT_EQ(a->n->n->closed, 1);

  parsedPage single;
  parsePage(single, "<img alt='a b'>");
  htmlAttrPtr first = single.doc->first->first;
  EXPECT_STREQ(first->name, "alt");
  EXPECT_STREQ(first->value, "'a");
  EXPECT_STREQ(first->n->name, "b'");
  EXPECT_EQ(first->n->value, nullptr);
}

TEST(HtmlReader, ScriptEntriesAndTheirEndTag) {
  parsedPage page;
  parsePage(page, "<script type=\"t\">a<b</Script>after");
  htmlTagPtr s = page.doc->first;
  EXPECT_STREQ(s->name, "script");
  EXPECT_STREQ(htmlTagText(s), "a<b");
  ASSERT_TRUE(s->n);
  EXPECT_STREQ(s->n->name, "/script");
  EXPECT_EQ(s->n->closed, 0);
  EXPECT_STREQ(htmlTagText(s->n), "after");

  parsedPage dropped;
  parsePage(dropped, "<script>a<b</script>after", feedWhole, {}, true, false);
  EXPECT_STREQ(htmlTagText(dropped.doc->first), "");
  EXPECT_EQ(writePage(dropped.doc), "<script></script>after");
}

TEST(HtmlReader, LeadingCommentsAreKeptOrDropped) {
  const std::string input = " \n<!-- first -->\n\t<!--second--><html>x";
  parsedPage kept;
  parsePage(kept, input);
  EXPECT_EQ(std::string(kept.doc->leadingComments), " \n<!-- first -->\n\t<!--second-->");
  EXPECT_EQ(writePage(kept.doc), input);

  parsedPage dropped;
  parsePage(dropped, input + "<!-- later -->y", feedWhole, {}, false, true);
  EXPECT_EQ(std::string(dropped.doc->leadingComments), "");
  EXPECT_EQ(writePage(dropped.doc), "<html>xy");
}

TEST(HtmlReader, PositionsAndLinesCountLineBreaksAsPairs) {
  // Entries record the position where they were made (a tag when its name ends).
  parsedPage page;
  parsePage(page, "a\n\n<b>\r\n<c>\n\r<d>\r\r<e>");
  std::vector<std::pair<int, int>> seen;
  for (htmlTagPtr t = page.doc->first; t; t = t->n) seen.push_back({t->row, t->col});
  std::vector<std::pair<int, int>> expected = {{1, 1}, {3, 2}, {4, 2}, {5, 2}, {7, 2}};
  EXPECT_EQ(seen, expected);

  // Messages carry the number of line feeds before the byte, plus one.
  parsedPage errors;
  parsePage(errors, "<p>\n\n<a<b>\r\n<>");
  std::vector<parseError> expectedErrors = {{3, "Tag never closed"}, {4, "Tag with no name"}};
  EXPECT_EQ(errors.errors, expectedErrors);
}

TEST(HtmlReader, BuffersGrowForLongConstructs) {
  std::string longValue(100000, 'v');
  std::string longText(300000, 't');
  std::string longComment = "<!--" + std::string(70000, 'c') + "-->";
  std::string input = "<p title=\"" + longValue + "\">" + longText + longComment + "<" +
                      std::string(5000, 'n') + ">";
  std::vector<parseError> errors;
  EXPECT_EQ(roundTrip(input, &errors), input);
  EXPECT_TRUE(errors.empty());
}

TEST(HtmlReader, ManyAttributesAndCommentsStayLinear) {
  // A tag with 200,000 attributes and a text broken by 200,000 comments: both
  // would take hours if each addition walked or copied what came before.
  std::string attrs = "<a";
  for (int i = 0; i < 200000; i++) attrs += " b";
  attrs += ">";
  std::string comments = "<p>";
  for (int i = 0; i < 200000; i++) comments += "x<!---->";
  EXPECT_EQ(roundTrip(attrs), attrs);
  EXPECT_EQ(roundTrip(comments), comments);
}

TEST(HtmlEntries, AttributeOperations) {
  htmlPtr doc = nullptr;
  ASSERT_EQ(htmlCreate(&doc), htmlSuccess);
  ASSERT_EQ(htmlTagAppend(doc, "area"), htmlSuccess);
  htmlTagPtr t = doc->last;
  EXPECT_EQ(t->parent, doc);
  EXPECT_STREQ(htmlTagText(t), "");
  EXPECT_EQ(htmlTagLastAttrSet(t, "x", 1), htmlBadArguments);
  EXPECT_EQ(htmlTagAttrAppend(t, "shape"), htmlSuccess);
  EXPECT_EQ(htmlTagLastAttrSet(t, "rect", 1), htmlSuccess);
  EXPECT_EQ(htmlTagAttrSet(t, "COORDS", "1,2", 0), htmlSuccess);
  EXPECT_EQ(htmlTagAttrSet(t, "Shape", "circle", 1), htmlSuccess);
  EXPECT_EQ(htmlTagAttrAppend(t, "nohref"), htmlSuccess);
  EXPECT_EQ(htmlTagAttrAppend(t, "alt"), htmlSuccess);
  EXPECT_EQ(htmlTagLastAttrSet(t, "", 1), htmlSuccess);
  EXPECT_EQ(writePage(doc), "<area shape=\"circle\" COORDS=1,2 nohref alt=\"\">");
  EXPECT_EQ(htmlTagAttrDestroy(t, "coords"), htmlSuccess);
  EXPECT_EQ(htmlTagAttrDestroy(t, "shape"), htmlSuccess);
  EXPECT_EQ(htmlTagAttrDestroy(t, "none"), htmlSuccess);
  EXPECT_EQ(writePage(doc), "<area nohref alt=\"\">");
  EXPECT_EQ(htmlTagAttrSet(t, "nohref", nullptr, 0), htmlSuccess);
  EXPECT_EQ(htmlTagAttrAppend(t, "last"), htmlSuccess);
  EXPECT_EQ(writePage(doc), "<area nohref alt=\"\" last>");

  EXPECT_EQ(htmlTagWrite(nullptr, stdout), htmlBadArguments);
  EXPECT_EQ(htmlTagAttrAppend(nullptr, "x"), htmlBadArguments);
  EXPECT_EQ(htmlTagAppend(doc, nullptr), htmlBadArguments);
  EXPECT_EQ(htmlDestroy(doc), htmlSuccess);
}

TEST(HtmlEntries, AttributesAddedAfterReadingGoToTheEnd) {
  parsedPage page;
  parsePage(page, "<img a=1 b=2>");
  htmlTagPtr t = page.doc->first;
  EXPECT_EQ(htmlTagAttrDestroy(t, "b"), htmlSuccess);
  EXPECT_EQ(htmlTagAttrSet(t, "border", "0", 1), htmlSuccess);
  EXPECT_EQ(htmlTagAttrAppend(t, "usemap"), htmlSuccess);
  EXPECT_EQ(htmlTagLastAttrSet(t, "#m", 1), htmlSuccess);
  EXPECT_EQ(writePage(page.doc), "<img a=1 border=\"0\" usemap=\"#m\">");
}

TEST(HtmlStrings, CaseInsensitiveComparisons) {
  EXPECT_TRUE(htmlEq("MAP", "map"));
  EXPECT_FALSE(htmlEq("map", "maps"));
  EXPECT_FALSE(htmlEq("maps", "map"));
  EXPECT_TRUE(htmlEq("", ""));
  EXPECT_TRUE(htmlBeginsWith("RECTANGLE", "rect"));
  EXPECT_FALSE(htmlBeginsWith("re", "rect"));
  EXPECT_TRUE(htmlBeginsWith("x", ""));
  EXPECT_TRUE(htmlEndsWith("page.HTML", ".html"));
  EXPECT_FALSE(htmlEndsWith("tml", ".html"));
  EXPECT_FALSE(htmlEndsWith("page.htm", ".html"));
  EXPECT_FALSE(htmlEq("\xc9", "\xe9"));  // only ASCII letters fold
}

}  // namespace
