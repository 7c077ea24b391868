#include "proxy/container_jobs.h"
#include "proxy/container_session.h"
#include "proxy/part_copy.h"
#include "proxy/target_path.h"

namespace containerproxy {

using vxn_container::ContainerPart;
using vxnxml_api::Result;

JobOutcome addParts(const String& containerPath, int count, const PartSourceReader& read) {
  ContainerSession session;
  const Result opened = session.Open(containerPath, kOpenOrCreate);
  if (!opened.Ok()) return jobFailed(opened.GetMessage());

  for (int i = 0; i < count; ++i) {
    PartSource source;
    String error;
    if (!read(i, &source, &error)) return jobFailed(error);
    if (!partNameStaysInside(source.name)) {
      return jobFailed("Part name " + source.name + " cannot be extracted");
    }
    ContainerPart* part = nullptr;
    const Result created = session->CreatePart(source.name, source.type, &part);
    if (!created.Ok()) return jobFailed(created.GetMessage());

    PartUse use(part);
    PartStreamHolder stream = openPartStream(part, ContainerPart::kWrite);
    const bool copied = stream && copyFileToPart(source.uri, stream.get());
    // Releasing hands the data to the part, so its result counts as part of the copy.
    const bool kept = stream && stream.release()->Release().Ok();
    if (!copied || !kept) return jobFailed("Add part " + source.name + " fails");
  }
  return finishJob(&session);
}

JobOutcome setProperties(const String& containerPath, const String& propertyKey, int count,
                         const PropertyReader& read) {
  ContainerSession session;
  const Result opened = session.Open(containerPath, kOpenForUpdate);
  if (!opened.Ok()) return jobFailed(opened.GetMessage());

  for (int i = 0; i < count; ++i) {
    PropertyEntry property;
    String error;
    if (!read(i, &property, &error)) return jobFailed(error);
    const Result set = session->SetProperty(property.name, property.value, propertyKey);
    if (!set.Ok()) return jobFailed(set.GetMessage());
  }
  return finishJob(&session);
}

bool getProperties(const String& containerPath, const String& propertyKey,
                   std::map<String, String>* properties) {
  ContainerSession session;
  if (!session.Open(containerPath, kOpenForReading).Ok()) return false;
  if (!session->GetProperties(propertyKey, properties).Ok()) return false;
  session.Finish();
  return true;
}

}  // namespace containerproxy
