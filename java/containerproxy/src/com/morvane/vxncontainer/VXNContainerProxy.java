package com.morvane.vxncontainer;

/**
 * Container files through libVXNContainerProxy: parts are added from files and extracted to
 * files, and named string properties are read and written under a property key. Every call opens
 * the container and closes it again before it returns.
 */
public class VXNContainerProxy {
  static {
    System.loadLibrary("VXNContainerProxy");
  }

  /** Writes every part to targetDirectory/partName. */
  public native Result ExtractAllParts(String containerPath, String targetDirectory);

  /** Writes one part to targetDirectory/partName. */
  public native Result ExtractPart(String containerPath, String targetDirectory, String partName);

  /** Adds parts[0] to parts[count - 1] as new parts; creates the container when it is missing. */
  public native Result AddParts(String containerPath, int count, PartProperty[] parts);

  /**
   * The properties stored under propertyKey, each a {@link ContainerProperty}; an empty array
   * for a key without properties, null on any failure.
   */
  public native Object[] GetProperties(String containerPath, String propertyKey);

  /** Sets properties[0] to properties[count - 1] under propertyKey. */
  public native Result SetProperties(
      String containerPath, String propertyKey, int count, ContainerProperty[] properties);
}
