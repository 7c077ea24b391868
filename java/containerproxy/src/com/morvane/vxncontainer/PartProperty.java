package com.morvane.vxncontainer;

/** A file to be added to a container as a part. */
public class PartProperty {
  /** Path of the file on disk whose bytes become the part. */
  public String uri;
  /** Name of the part inside the container. */
  public String name;
  /** Type of the part. */
  public String type;

  public PartProperty() {}

  public PartProperty(String uri, String name, String type) {
    this.uri = uri;
    this.name = name;
    this.type = type;
  }
}
