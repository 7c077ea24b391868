// Names shared by the writer and the reader of the library file.
#pragma once

#include <xercesc/util/XercesDefs.hpp>

namespace LibraryXml {

// Every element of the file lives in this namespace under the prefix "ecad".
inline constexpr XMLCh kNamespace[] = u"http://www.morvane.com/Schemas/ecadlib";
inline constexpr XMLCh kPrefix[] = u"ecad";

// Local names.
inline constexpr XMLCh kRoot[] = u"edaLib";
inline constexpr XMLCh kLibrary[] = u"library";
inline constexpr XMLCh kItem[] = u"item";
inline constexpr XMLCh kAttribute[] = u"attr";
inline constexpr XMLCh kRelation[] = u"relation";
inline constexpr XMLCh kGde[] = u"gde";
inline constexpr XMLCh kDataset[] = u"dataset";

}  // namespace LibraryXml
