package com.morvane.vxncontainer;

/** Outcome of a VXNContainerProxy call; filled by the native side. */
public class Result {
  /** True when the whole operation succeeded. */
  public boolean OK;
  /** Failure text; the empty string on success. */
  public String errMessage;
  /** Always the empty string. */
  public String ret;
}
