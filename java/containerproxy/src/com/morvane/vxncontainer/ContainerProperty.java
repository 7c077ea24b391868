package com.morvane.vxncontainer;

/** One named string property of a container. */
public class ContainerProperty {
  public String name;
  public String value;

  public ContainerProperty() {}

  public ContainerProperty(String name, String value) {
    this.name = name;
    this.value = value;
  }
}
