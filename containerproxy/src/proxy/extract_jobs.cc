#include <vector>

#include "proxy/container_jobs.h"
#include "proxy/container_session.h"
#include "proxy/part_copy.h"
#include "proxy/target_path.h"

namespace containerproxy {

using vxn_container::ContainerPart;
using vxnxml_api::Result;

namespace {

String escapeMessage(const String& partName, const String& targetDirectory) {
  return "Part " + partName + " would be written outside " + targetDirectory;
}

}  // namespace

JobOutcome extractAllParts(const String& containerPath, const String& targetDirectory) {
  ContainerSession session;
  const Result opened = session.Open(containerPath, kOpenForReading);
  if (!opened.Ok()) return jobFailed(opened.GetMessage());
  std::vector<ContainerPart*> parts;
  const Result listed = session->GetParts(&parts);
  if (!listed.Ok()) return jobFailed(listed.GetMessage());

  for (ContainerPart* part : parts) {
    PartUse use(part);
    const String& name = part->GetName();
    if (!partNameStaysInside(name) || !partDirectoriesStayInside(targetDirectory, name)) {
      return jobFailed(escapeMessage(name, targetDirectory));
    }
    PartStreamHolder stream = openPartStream(part, ContainerPart::kRead);
    if (!stream || !copyPartToFile(stream.get(), joinTargetPath(targetDirectory, name))) {
      return jobFailed("Extract parts to " + targetDirectory + " fails");
    }
  }
  return finishJob(&session);
}

JobOutcome extractPart(const String& containerPath, const String& targetDirectory,
                       const String& partName) {
  ContainerSession session;
  const Result opened = session.Open(containerPath, kOpenForReading);
  if (!opened.Ok()) return jobFailed(opened.GetMessage());
  ContainerPart* part = nullptr;
  const Result found = session->GetPart(partName, &part);
  if (!found.Ok()) return jobFailed(found.GetMessage());

  {
    // The stream is released and the part closed before the container closes.
    PartUse use(part);
    if (!partNameStaysInside(partName) || !partDirectoriesStayInside(targetDirectory, partName)) {
      return jobFailed(escapeMessage(partName, targetDirectory));
    }
    const String path = joinTargetPath(targetDirectory, partName);
    PartStreamHolder stream = openPartStream(part, ContainerPart::kRead);
    if (!stream || !copyPartToFile(stream.get(), path)) {
      return jobFailed("Extract parts to " + path + " fails");
    }
  }
  return finishJob(&session);
}

}  // namespace containerproxy
