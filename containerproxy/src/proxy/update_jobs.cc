#include "proxy/container_jobs.h"
#include "proxy/container_session.h"
#include "proxy/part_copy.h"

namespace containerproxy {

using vxn_container::ContainerPart;
using vxnxml_api::Result;

namespace {

// Unlike the part and stream closes, the container's close is examined: for a container opened
// for writing it is where the changes are written, and a failed write must not pass for success.
JobOutcome finish(ContainerSession* session) {
  const Result closed = session->Finish();
  return closed.Ok() ? jobSucceeded() : jobFailed(closed.GetMessage());
}

}  // namespace

JobOutcome addParts(const String& containerPath, int count, const PartSourceReader& read) {
  ContainerSession session;
  const Result opened = session.Open(containerPath, kOpenOrCreate);
  if (!opened.Ok()) return jobFailed(opened.GetMessage());

  for (int i = 0; i < count; ++i) {
    PartSource source;
    String error;
    if (!read(i, &source, &error)) return jobFailed(error);
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
  return finish(&session);
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
  return finish(&session);
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
