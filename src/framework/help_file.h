#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

// The help file "Tembrixm.hlp" is a UTF-8 text file of topics:
//
//   # A line starting with '#' is a comment, wherever it stands.
//   ~Topic_Name
//   Title of the topic
//   A paragraph runs over one or more lines and ends at a blank line.
//
//   - A line starting with "- " is a list item; lines under it that start
//     with blanks continue the item.
//   A link to another topic: [[~Other_Topic]] shows that topic's title,
//   [[~Other_Topic|these words]] shows the words.
//
// A topic starts with '~' in the first column followed by its name; the next line is its
// title; the topic runs to the next topic line. Names are found without regard to case
// or blanks, so "~Group_Scan_a_ Week_Window" finds "~Group_Scan_a_Week_Window". A topic
// named "~Contents" is the contents page; "~How_to_Use_Help" explains the help window.

/// One block of a topic's text: a paragraph or a list item, with its links as written.
struct HelpBlock {
    enum class Kind { Paragraph, Item };
    Kind kind = Kind::Paragraph;
    std::string text;
};

/// One topic of the help file: its name, its title and its blocks of text.
struct HelpTopic {
    std::string name;  // as written, without the '~'
    std::string title;
    std::vector<HelpBlock> blocks;
    int line = 0;  // where the topic starts in the file, from 1
};

/// A piece of a text: plain words, or a link when target is not empty.
struct HelpRun {
    std::string text;
    std::string target;  // the linked topic's name without '~', as written
    friend bool operator==(const HelpRun&, const HelpRun&) = default;
};

/// The key a topic name is found by: without the leading '~' and blanks, lower case.
std::string helpKey(std::string_view name);

/// Splits a block's text into plain runs and links. A link without a text of its own
/// gets an empty text; the caller puts in the target's title.
std::vector<HelpRun> splitLinks(std::string_view text);

/// A parsed help file.
class HelpFile {
  public:
    /// Parses the text of a help file. A fault that leaves the file unusable (not text,
    /// no topic, text before the first topic, a topic without a title or name, a link
    /// left open) gives nothing, with the reason and its line in *error. Lesser faults
    /// (a second topic of the same name, which is ignored; a link to a missing topic,
    /// shown as plain words) are listed in warnings().
    static std::optional<HelpFile> parse(std::string_view text, std::string* error = nullptr);
    /// Reads and parses the file at path; a missing file is an error too.
    static std::optional<HelpFile> load(const std::string& path, std::string* error = nullptr);

    const std::vector<HelpTopic>& topics() const { return topics_; }
    const std::vector<std::string>& warnings() const { return warnings_; }

    /// The topic of that name ('~' optional), or nullptr.
    const HelpTopic* find(std::string_view name) const;

    /// The topics whose title or text holds every word of query, without regard to case:
    /// those with all the words in the title first, then by how often the words occur,
    /// then in file order. An empty query lists every topic in file order.
    std::vector<const HelpTopic*> search(std::string_view query) const;

    /// The words of a topic as the reader sees them: title, then blocks, links replaced
    /// by their texts.
    std::string plainText(const HelpTopic& topic) const;

    /// The text a link shows: its own words, else the target's title, else its name.
    std::string linkText(const HelpRun& link) const;

  private:
    std::vector<HelpTopic> topics_;
    std::vector<std::string> warnings_;
};

}  // namespace framework
